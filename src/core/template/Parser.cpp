#include "template/Parser.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <utility>

#include "common/Cp1252.h"
#include "common/Messages.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"
#include "template/BitmapLookup.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/TreeSink.h"

namespace loom {
namespace {

constexpr std::uint32_t kFlagNumbered = 1u << 0;
constexpr std::uint32_t kFlagDisabled = 1u << 1;
constexpr std::uint32_t kFlagHidden = 1u << 2;
constexpr std::uint32_t kFlagNoHorizontalScroll = 1u << 3;
constexpr std::uint32_t kFlagMultiline = 1u << 4;
constexpr std::uint32_t kFlagMasked = 1u << 9;
constexpr int kMaxFilter = 5;
constexpr int kDefaultPictureSide = 30;

// A name from a template must stay inside its folder: a template is outside input, and
// a name like "..\LOGIN.KEY" or "C:x" would reach other files.
bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\:") == std::string_view::npos;
}

int clampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// Dialog units are the file's 32-bit integers read as signed, as the platform reads them;
// the product is taken in 64 bits so that no file value overflows.
int scaleUnits(std::uint32_t units, int base, int divisor) {
    return clampToInt(static_cast<std::int64_t>(static_cast<std::int32_t>(units)) * base / divisor);
}

std::optional<std::int32_t> limit(std::uint32_t raw) {
    if (raw == kAbsentLimit) return std::nullopt;
    return static_cast<std::int32_t>(raw);
}

}  // namespace

Parser::Parser() = default;
Parser::~Parser() = default;

Parser::HeaderResult Parser::openAndReadHeader(const std::function<TemplateScanner()>& open,
                                               std::string& name, std::string& title) {
    scanner_.reset();
    openPath_.clear();
    systemError_ = 0;
    try {
        scanner_ = std::make_unique<TemplateScanner>(open());
        TemplateHeader header = scanner_->readHeader();
        version_ = header.version;
        name = std::move(header.name);
        title = std::move(header.title);
        return HeaderResult::Ok;
    } catch (const TemplateScanError& e) {
        scanner_.reset();
        switch (e.failure()) {
            case ScanFailure::CannotOpen:
                systemError_ = e.systemError();
                return HeaderResult::CannotOpen;
            case ScanFailure::NotTemplate:
                return HeaderResult::NotTemplate;
            default:
                return HeaderResult::Malformed;
        }
    }
}

bool Parser::ReadHeader(const std::string& path, std::string& name, std::string& title,
                        bool closeAfter) {
    auto open = [&] { return TemplateScanner::openFile(path); };
    if (openAndReadHeader(open, name, title) != HeaderResult::Ok) return false;
    if (closeAfter) {
        scanner_.reset();
    } else {
        openPath_ = path;
        name_ = name;
        title_ = title;
    }
    return true;
}

std::unique_ptr<Form> Parser::Load(const std::string& path, ParserEnvironment& env, bool& noErase) {
    return run([&] { return TemplateScanner::openFile(path); }, path, env, noErase);
}

std::unique_ptr<Form> Parser::LoadFromMemory(std::span<const std::uint8_t> bytes,
                                             const std::string& displayName, ParserEnvironment& env,
                                             bool& noErase) {
    openPath_.clear();
    return run([&] { return TemplateScanner::fromMemory(bytes); }, displayName, env, noErase);
}

std::unique_ptr<Form> Parser::run(const std::function<TemplateScanner()>& open,
                                  const std::string& path, ParserEnvironment& env, bool& noErase) {
    env_ = &env;
    messagePath_ = utf8ToCp1252(path);
    env.rules.clear();

    // A header that ReadHeader already read for this path is not read again.
    if (!(scanner_ && !openPath_.empty() && openPath_ == path)) {
        switch (openAndReadHeader(open, name_, title_)) {
            case HeaderResult::Ok:
                break;
            case HeaderResult::CannotOpen:
                env.prompt.show(systemErrorText(systemError_), MessageKind::Warning);
                env.prompt.show(MessageId::CannotOpenFile, {messagePath_});
                env.prompt.show(MessageId::NotATemplate, {messagePath_});
                return nullptr;
            case HeaderResult::NotTemplate:
                env.prompt.show(MessageId::NotATemplate, {messagePath_});
                return nullptr;
            case HeaderResult::Malformed:
                // The magic was right, so it is a template whose header texts are broken.
                env.prompt.show(MessageId::CannotParse, {messagePath_});
                return nullptr;
        }
    }
    openPath_.clear();
    if (version_ != 1) {
        scanner_.reset();
        env.prompt.show(MessageId::WrongTemplateVersion);
        return nullptr;
    }

    noErase_ = false;
    env.tree.setRedraw(false);
    env.tree.clear();
    env.events.clear();
    groups_.clear();
    page_ = nullptr;
    dataControls_ = 0;

    bool failed = true;
    try {
        form_ = std::make_unique<Form>(name_, title_);
        groups_.push_back(env.tree.addRoot(title_));
        scanner_->readBody(*this);
        finishControls();
        failed = false;
    } catch (const ParseError&) {
        env.prompt.show(MessageId::CannotParse, {messagePath_});
    } catch (const TemplateScanError& e) {
        reportScanFailure(e);
    } catch (...) {
        // Not the file's fault (memory): leave nothing behind that points into the form.
        env.rules.clear();
        form_.reset();
        scanner_.reset();
        env.tree.setRedraw(true);
        throw;
    }
    scanner_.reset();
    if (failed) {
        // The rules point into the form that is about to go.
        env.rules.clear();
        form_.reset();
        env.tree.setRedraw(true);
        return nullptr;
    }
    form_->setNoErase(noErase_);
    noErase = noErase_;
    env.tree.setRedraw(true);
    return std::move(form_);
}

void Parser::reportScanFailure(const TemplateScanError& error) {
    UserPrompt& prompt = env_->prompt;
    switch (error.failure()) {
        case ScanFailure::WrongVersion:
            prompt.show(MessageId::WrongTemplateVersion);
            return;
        case ScanFailure::UnknownRuleCode:
            prompt.show(MessageId::WrongTemplateVersion);
            break;
        case ScanFailure::BadChecksum:
            prompt.show(MessageId::BadChecksum);
            break;
        default:
            break;
    }
    prompt.show(MessageId::CannotParse, {messagePath_});
}

void Parser::onGroup(std::string_view name) {
    // groups_ holds the root too, so its size is the depth of the new group.
    if (groups_.size() > kMaxGroupDepth) throw ParseError();
    groups_.push_back(env_->tree.addGroup(groups_.back(), name));
}

void Parser::onGroupEnd() {
    if (groups_.size() <= 1) throw ParseError();
    groups_.pop_back();
}

void Parser::onPage(std::string_view name) {
    if (page_ != nullptr) throw ParseError();
    page_ = &form_->addPage(std::string(name));
    pageFirst_ = form_->controls().size();
}

void Parser::onPageEnd() {
    if (page_ == nullptr) throw ParseError();
    form_->placeOnPage(page_->index, pageFirst_);
    int right = 0, bottom = 0;
    for (const FormControl* c : page_->allControls) {
        right = std::max(right, clampToInt(std::int64_t{c->rect.x} + c->rect.width));
        bottom = std::max(bottom, clampToInt(std::int64_t{c->rect.y} + c->rect.height));
    }
    page_->extentWidth = right;
    page_->extentHeight = bottom;
    env_->tree.addPage(groups_.back(), page_->name, page_->index);
    page_ = nullptr;
}

void Parser::onControl(const RawControl& raw) {
    if (page_ == nullptr || !isControlTag(raw.tag)) throw ParseError();
    // The page's lists are filled at its end, in one go.
    FormControl& c = form_->newControlOffPage(static_cast<ControlKind>(raw.tag), page_->index);
    c.flags = raw.flags;
    c.caption = raw.text;
    if (c.kind != ControlKind::OptionGroup) {
        c.dialogRect = raw.rect;
        c.rect = toPixels(raw.rect);
    }
    if (isDataControl(raw.tag)) {
        ++dataControls_;
        c.field = &readField(raw.field);
    }

    FormControl* group = nullptr;
    switch (c.kind) {
        case ControlKind::CheckBox:
            if (raw.onChar.size() != 1 || raw.offChar.size() != 1) throw ParseError();
            c.onChar = raw.onChar[0];
            c.offChar = raw.offChar[0];
            break;
        case ControlKind::Edit:
            c.filter = raw.filter <= kMaxFilter ? static_cast<int>(raw.filter) : -1;
            c.limits.maxChars = limit(raw.maxChars);
            c.limits.minChars = limit(raw.minChars);
            c.limits.maxValue = limit(raw.maxValue);
            c.limits.minValue = limit(raw.minValue);
            c.maxChars = c.limits.maxChars && *c.limits.maxChars >= 0 ? *c.limits.maxChars : -1;
            c.noHorizontalScroll = (raw.flags & kFlagNoHorizontalScroll) != 0;
            c.multiline = (raw.flags & kFlagMultiline) != 0;
            c.masked = (raw.flags & kFlagMasked) != 0;
            break;
        case ControlKind::Choice:
            if (raw.valueList >= form_->valueLists().size()) throw ParseError();
            c.valueList = static_cast<int>(raw.valueList);
            break;
        case ControlKind::Option:
            // The group must be a numbered option group read before, on the same page: a
            // button in any other control would write a value that no field holds, and
            // one on another page would be laid out, enabled and disabled with a page
            // that is not its own.
            group = numberedControl(raw.optionGroup);
            if (group->kind != ControlKind::OptionGroup || group->page != c.page)
                throw ParseError();
            c.optionValue = raw.optionValue;
            c.group = group;
            break;
        case ControlKind::Picture:
            sizePicture(c);
            break;
        default:
            break;
    }
    c.enabled = (raw.flags & kFlagDisabled) == 0;
    c.visible = (raw.flags & kFlagHidden) == 0;

    if (group != nullptr) group->options.push_back(&c);
    if ((raw.flags & kFlagNumbered) != 0) {
        c.number = static_cast<int>(form_->numbered().size());
        form_->addNumbered(c);
    }
}

FieldRecord& Parser::readField(const RawField& raw) {
    FieldRecord& record = form_->store().findOrCreate(raw.address);
    record.size = raw.size;
    record.type = static_cast<std::uint8_t>(raw.type & 0xFFu);
    // Bit 0 is never set in a record: data files use it to mark their last record.
    record.flags = static_cast<std::uint8_t>(raw.flags & 0xFEu);
    record.value = raw.defaultValue;
    return record;
}

PixelRect Parser::toPixels(const RawRect& raw) const {
    const DialogUnits& u = env_->units;
    return PixelRect{scaleUnits(raw.x, u.baseWidth, 4), scaleUnits(raw.y, u.baseHeight, 8),
                     scaleUnits(raw.width, u.baseWidth, 4),
                     scaleUnits(raw.height, u.baseHeight, 8)};
}

void Parser::sizePicture(FormControl& c) {
    // Every picture is looked up, sized by its rectangle or not: the control paints the
    // bitmap the lookup found, and a refused file shows its message while loading.
    std::optional<BitmapSize> bitmap;
    if (env_->bitmaps != nullptr && isPlainFileName(c.caption))
        bitmap = env_->bitmaps->find(c.caption, folderPath("PICTURES", c.caption));
    int width = c.rect.width, height = c.rect.height;
    if (width == 0 || height == 0) {
        width = bitmap ? bitmap->width : kDefaultPictureSide;
        height = bitmap ? bitmap->height : kDefaultPictureSide;
    }
    const DialogUnits& u = env_->units;
    c.rect.width = clampToInt(std::int64_t{width} + 2 * std::int64_t{u.edgeWidth});
    c.rect.height = clampToInt(std::int64_t{height} + 2 * std::int64_t{u.edgeHeight});
}

std::string Parser::folderPath(std::string_view folder, std::string_view name) const {
    constexpr char sep = static_cast<char>(std::filesystem::path::preferred_separator);
    std::string path = env_->programDirectory;
    if (!path.empty() && path.back() != '/' && path.back() != sep) path.push_back(sep);
    path.append(folder);
    path.push_back(sep);
    path.append(cp1252ToUtf8(name));
    return path;
}

void Parser::onValueList(const RawValueList& list) {
    if (page_ == nullptr) throw ParseError();
    form_->addValueList(list);
}

void Parser::onCaption(std::string_view text) {
    if (page_ == nullptr) throw ParseError();
    form_->addCaption(std::string(text), dataControls_);
}

// The two addresses are the file's integers read as signed, as the panel code uses
// them: 0xFFFFFFFF stands for "none" like the default.
void Parser::onIdAddress(std::uint32_t address) {
    form_->setIdAddress(static_cast<std::int32_t>(address));
}

void Parser::onProductAddress(std::uint32_t address) {
    form_->setProductAddress(static_cast<std::int32_t>(address));
}

void Parser::onHelp(std::string_view name) {
    if (name.empty()) {
        form_->setHelp({}, {});
        return;
    }
    form_->setHelp(std::string(name), isPlainFileName(name) ? folderPath("HELP", name) : "");
}

void Parser::onEvents(const std::vector<RawEventCode>& codes) {
    for (const RawEventCode& code : codes) {
        std::vector<EventText> entries;
        entries.reserve(code.entries.size());
        for (const RawEventEntry& e : code.entries)
            entries.push_back({e.tag, e.text});
        env_->events.setCode(static_cast<std::uint16_t>(code.code & 0xFFFFu), std::move(entries));
    }
}

void Parser::onNoErase(std::uint32_t value) {
    noErase_ = value != 0;
}

void Parser::onBodyEnd() {
    // Groups left open at the end are closed implicitly; a page cannot be.
    if (page_ != nullptr) throw ParseError();
}

void Parser::onRuleCount(std::uint32_t) {}

FormControl* Parser::numberedControl(std::uint32_t number) const {
    if (number >= form_->numbered().size()) throw ParseError();
    return form_->numbered()[number];
}

int Parser::pageNumber(std::uint32_t number) const {
    if (number >= static_cast<std::uint32_t>(form_->pageCount())) throw ParseError();
    return static_cast<int>(number);
}

void Parser::onRule(const RawRule& raw) {
    const RawCondition& cond = raw.condition;
    FormControl* trigger = nullptr;
    FormControl* argument = nullptr;
    std::string text;
    switch (conditionOperands(cond.code)) {
        case RuleOperands::Control:
            trigger = numberedControl(cond.control);
            break;
        case RuleOperands::ControlControl:
            trigger = numberedControl(cond.control);
            argument = numberedControl(cond.control2);
            break;
        case RuleOperands::ControlText:
            trigger = numberedControl(cond.control);
            text = cond.text;
            break;
        case RuleOperands::Text:
            text = cond.text;
            break;
        default:
            env_->prompt.show(MessageId::WrongTemplateVersion);
            throw ParseError();
    }

    std::vector<RuleAction> actions;
    actions.reserve(raw.actions.size());
    for (const RawAction& a : raw.actions) {
        RuleAction action;
        action.code = static_cast<int>(a.code);
        switch (actionOperands(a.code)) {
            case RuleOperands::Control:
                action.target = numberedControl(a.target);
                break;
            case RuleOperands::ControlText:
                action.target = numberedControl(a.target);
                action.text = a.text;
                break;
            case RuleOperands::ControlControl:
                action.target = numberedControl(a.target);
                action.control = numberedControl(a.argument);
                break;
            case RuleOperands::Text:
                action.text = a.text;
                break;
            case RuleOperands::Page:
                action.page = pageNumber(a.target);
                break;
            default:
                env_->prompt.show(MessageId::WrongTemplateVersion);
                throw ParseError();
        }
        actions.push_back(std::move(action));
    }
    form_->addRawRule(raw);
    env_->rules.registerRule(trigger, static_cast<int>(cond.code), argument, std::move(text),
                             std::move(actions));
}

// Shown texts follow the records as they stand after the whole file: a later descriptor
// of a shared field decides its default for every control on it.
void Parser::finishControls() {
    for (FormControl* control : form_->controls()) {
        FormControl& c = *control;
        if (c.field != nullptr) c.initialValue = c.field->value;
        form_->refreshText(c);
    }
}

}  // namespace loom
