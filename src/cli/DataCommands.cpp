#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ArgumentNames.h"
#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "FormLoading.h"
#include "LogPrinting.h"
#include "archive/FileId.h"
#include "archive/NewDataFile.h"
#include "archive/SystemPassword.h"
#include "archive/SystemSave.h"
#include "common/Cp1252.h"
#include "conversion/ConversionList.h"
#include "datafile/DataFile.h"
#include "fields/PromImageBuilder.h"
#include "fields/ValueCodec.h"
#include "platform/UserPrompt.h"
#include "template/ControlValueCheck.h"
#include "template/FieldCaptions.h"

namespace loom::cli {
namespace {

struct Assignment {
    FieldAddress address = 0;
    std::string value;  // code page 1252
};

std::string addressText(FieldAddress address) {
    return fieldAddressText(address);
}

// ADDRESS=VALUE, ADDRESS decimal or 0x-hexadecimal.
bool parseAssignment(CliContext& ctx, const std::string& text, Assignment& out) {
    const auto eq = text.find('=');
    std::uint64_t address = 0;
    if (eq == std::string::npos || !parseNumber(text.substr(0, eq), address) ||
        address > 0xFFFFFFFFu) {
        ctx.err << "fel: ADRESS=VÄRDE väntades (ADRESS decimalt eller hexadecimalt med 0x): "
                << text << "\n";
        ctx.exitCode = kExitUsage;
        return false;
    }
    if (!toCp1252(text.substr(eq + 1), out.value)) {
        ctx.err << "fel: värdet har tecken utanför teckentabell 1252: " << text << "\n";
        ctx.exitCode = kExitRefused;
        return false;
    }
    out.address = static_cast<FieldAddress>(address);
    return true;
}

bool parseAssignments(CliContext& ctx, const std::vector<std::string>& texts,
                      std::vector<Assignment>& out) {
    for (const std::string& text : texts) {
        Assignment a;
        if (!parseAssignment(ctx, text, a)) return false;
        out.push_back(std::move(a));
    }
    return true;
}

// "0x00000500 (Tider: Sirentid (s))": a field as a refusal names it.
std::string fieldName(const FieldCaptions& captions, const Form& form, FieldAddress address) {
    std::string name = addressText(address);
    if (const FieldCaption* c = captions.find(address)) {
        std::string where = c->page >= 0 && c->page < form.pageCount()
                                ? cp1252ToUtf8(form.page(c->page).name)
                                : std::string();
        if (!c->caption.empty()) where += (where.empty() ? "" : ": ") + cp1252ToUtf8(c->caption);
        if (!where.empty()) name += " (" + escapeControls(where) + ")";
    }
    return name;
}

// The value as the template's controls and then the field's codec take it: what the
// window's final check would let through, normalised as the control stores it. A refusal
// is reported with the message the window would have shown.
bool acceptValue(CliContext& ctx, const Form& form, const FieldRecord& field, std::string& value) {
    const ControlValueResult checked = ControlValueCheck(form).checkField(field.address, value);
    std::string refusal = checked.refusal;
    if (checked.accepted) {
        value = checked.stored;
        if (isAddressless(field.address)) return true;  // kept as text, never placed
        std::vector<std::uint8_t> bytes;
        const CodecResult r = parseValue(field.type, value, sizeInBits(field.size), bytes);
        if (r == CodecResult::Ok) return true;
        refusal = utf8ToCp1252(r == CodecResult::BadCharacter
                                   ? "Värdet har ett tecken som fältets typ inte tillåter."
                                   : "Värdet får inte plats i fältet.");
    }
    ctx.err << "fel: fältet " << fieldName(FieldCaptions(form), form, field.address)
            << " tar inte emot \"" << escapeControls(cp1252ToUtf8(value)) << "\":\n"
            << cp1252ToUtf8(refusal) << "\n";
    ctx.exitCode = kExitRefused;
    return false;
}

// ---- data show ----

struct ShowOptions {
    std::string file;
    std::string form;
    bool json = false;
};

// The data file a command names, reported when there is none.
std::optional<std::filesystem::path> dataFileArgument(CliContext& ctx, AppContext& app,
                                                      const std::string& typed) {
    std::optional<std::filesystem::path> path = findDataFile(app, typed);
    if (!path) {
        ctx.err << "fel: ingen datafil \"" << escapeControls(typed)
                << "\": varken en fil eller en nyckel i "
                << app.programDirectory().folder(ProgramFolder::Files).string() << "\n";
        ctx.exitCode = kExitRefused;
    }
    return path;
}

// The system's template, for the names of its fields; nothing (and not a word) when it
// cannot be had, since the values can be shown without it.
std::unique_ptr<LoadedForm> quietTemplateFor(AppContext& app, std::string_view typed,
                                             std::string_view systemTemplate) {
    const std::optional<std::filesystem::path> path =
        typed.empty() ? findTemplateByName(app, systemTemplate) : findTemplate(app, typed);
    if (!path) return nullptr;
    SilentPrompt silent;
    UserPrompt& prompt = app.prompt();
    app.setPrompt(silent);
    std::unique_ptr<LoadedForm> loaded = loadForm(app, *path);
    app.setPrompt(prompt);
    return loaded;
}

void showData(CliContext& ctx, const ShowOptions& o) {
    CliSession session(ctx);
    AppContext& app = session.app();
    const std::optional<std::filesystem::path> file = dataFileArgument(ctx, app, o.file);
    if (!file) return;
    DataFile data(app);
    data.keepFileOrder(true);
    if (!data.Read(*file, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    const std::unique_ptr<LoadedForm> loaded = quietTemplateFor(app, o.form, data.templateName());
    const std::optional<FieldCaptions> captions =
        loaded ? std::optional<FieldCaptions>(std::in_place, *loaded->form) : std::nullopt;
    // Where a value is shown: its page's name and caption, when the template shows it.
    const auto placeOf =
        [&](FieldAddress address) -> std::optional<std::pair<std::string, std::string>> {
        const FieldCaption* c = captions ? captions->find(address) : nullptr;
        if (!c) return std::nullopt;
        const Form& form = *loaded->form;
        return std::make_pair(c->page >= 0 && c->page < form.pageCount()
                                  ? cp1252ToUtf8(form.page(c->page).name)
                                  : std::string(),
                              cp1252ToUtf8(c->caption));
    };
    const std::vector<FieldRecord>& records = data.recordsInFileOrder();
    if (o.json) {
        nlohmann::ordered_json j;
        j["template"] = cp1252ToUtf8(data.templateName());
        j["displayName"] = cp1252ToUtf8(data.DisplayName());
        j["records"] = nlohmann::ordered_json::array();
        for (const FieldRecord& r : records) {
            nlohmann::ordered_json record{{"address", r.address},
                                          {"type", r.type},
                                          {"flags", r.flags},
                                          {"value", cp1252ToUtf8(r.value)}};
            const auto place = placeOf(r.address);
            record["page"] = place ? nlohmann::ordered_json(place->first) : nullptr;
            record["caption"] = place ? nlohmann::ordered_json(place->second) : nullptr;
            j["records"].push_back(std::move(record));
        }
        ctx.out << j.dump(2) << '\n';
        return;
    }
    ctx.out << "Mall \"" << escapeControls(cp1252ToUtf8(data.templateName())) << "\"\n";
    ctx.out << "Visningsnamn \"" << escapeControls(cp1252ToUtf8(data.DisplayName())) << "\"\n";
    ctx.out << "Poster: " << records.size() << "\n";
    for (const FieldRecord& r : records) {
        ctx.out << "  " << addressText(r.address) << " typ " << static_cast<int>(r.type)
                << " flaggor 0x" << hexOf(r.flags) << " \"" << escapeControls(cp1252ToUtf8(r.value))
                << "\"";
        if (const auto place = placeOf(r.address)) {
            ctx.out << "  [" << escapeControls(place->first);
            if (!place->second.empty()) ctx.out << ": " << escapeControls(place->second);
            ctx.out << "]";
        }
        ctx.out << "\n";
    }
}

// ---- data new ----

struct NewOptions {
    std::string form;
    std::vector<std::string> sets;
};

void newData(CliContext& ctx, const NewOptions& o) {
    std::vector<Assignment> sets;
    if (!parseAssignments(ctx, o.sets, sets)) return;
    CliSession session(ctx);
    if (!session.login()) return;
    AppContext& app = session.app();
    std::unique_ptr<LoadedForm> loaded = loadTemplateFor(ctx, app, o.form);
    if (!loaded) return;
    FieldStore& values = loaded->form->store();
    for (Assignment& a : sets) {
        FieldRecord* field = values.find(a.address);
        if (!field) {
            ctx.err << "fel: mallen har inget fält på " << addressText(a.address) << "\n";
            ctx.exitCode = kExitRefused;
            return;
        }
        if (!acceptValue(ctx, *loaded->form, *field, a.value)) return;
        field->value = a.value;
    }
    // Named when it is made, never over another system's file (a taken name gives way to
    // the next second's identifier).
    const std::filesystem::path path = SaveNewDataFile(app, NewFileId(app), loaded->form->name(),
                                                       app.systemPassword(), values, true);
    if (path.empty()) {
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.out << path.string() << '\n';
}

// ---- data set ----

struct SetOptions {
    std::string file;
    std::string form;
    std::vector<std::string> sets;
};

void setData(CliContext& ctx, const SetOptions& o) {
    std::vector<Assignment> sets;
    if (!parseAssignments(ctx, o.sets, sets)) return;
    CliSession session(ctx);
    if (!session.login()) return;
    AppContext& app = session.app();
    const std::optional<std::filesystem::path> file = dataFileArgument(ctx, app, o.file);
    if (!file) return;
    DataFile data(app);
    std::string templateName, password;
    if (!data.ReadHeader(*file, templateName, password, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    // As when the program opens a system saved under another system password.
    if (password != app.systemPassword() && !AcceptFilePassword(app, password, true)) {
        app.prompt().show(MessageId::WrongPassword, {}, MessageKind::Stop);
        ctx.exitCode = kExitRefused;
        return;
    }
    if (!data.Read(*file, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    std::unique_ptr<LoadedForm> loaded = loadTemplateFor(ctx, app, o.form, templateName);
    if (!loaded) return;
    // Another model's template would add its fields to this system.
    if (!sameModel(loaded->form->name(), templateName)) {
        app.prompt().show(MessageId::WrongTemplate, {loaded->form->name(), templateName},
                          MessageKind::Stop);
        ctx.exitCode = kExitRefused;
        return;
    }
    FieldStore& values = data.Store();
    for (Assignment& a : sets) {
        const FieldRecord* field = loaded->form->store().find(a.address);
        if (!field) {
            ctx.err << "fel: mallen har inget fält på " << addressText(a.address) << "\n";
            ctx.exitCode = kExitRefused;
            return;
        }
        if (!acceptValue(ctx, *loaded->form, *field, a.value)) return;
        // The changed value takes its field's description, so that it is saved normalised;
        // values not touched are saved exactly as they were read.
        FieldRecord* existing = values.find(a.address);
        FieldRecord& record = existing ? *existing : values.findOrCreate(a.address);
        if (!existing) record.flags = field->flags;
        record.size = field->size;
        record.type = field->type;
        record.value = a.value;
    }
    if (!SaveSystem(app, *file, templateName, app.systemPassword(), values, true).written) {
        ctx.exitCode = kExitRefused;
    }
}

// ---- data image ----

struct ImageOptions {
    std::string file;
    std::string form;
    std::string fileId;
    std::string product;
    std::string convertTo;
};

void printImage(std::ostream& out, const PromImage& image) {
    for (const PromBlock& block : image.blocks()) {
        bool erased = true;
        for (std::uint8_t b : block.data)
            erased = erased && b == PromImage::kErased;
        if (erased) continue;
        char address[16];
        std::snprintf(address, sizeof address, "%05X", static_cast<unsigned>(block.address));
        out << address << ' ';
        for (std::uint8_t b : block.data)
            out << hexOf(b);
        out << '\n';
    }
}

void imageData(CliContext& ctx, const ImageOptions& o, bool fileIdGiven, bool productGiven,
               bool convertGiven) {
    CliSession session(ctx);
    AppContext& app = session.app();
    std::vector<std::uint8_t> idBytes;
    if (fileIdGiven) {
        idBytes = FileIdToBytes(o.fileId);
        if (idBytes.empty()) {
            ctx.err << "fel: ingen filidentitet: " << o.fileId << "\n";
            ctx.exitCode = kExitUsage;
            return;
        }
    }
    std::string product;
    if (productGiven && !toCp1252(o.product, product)) {
        ctx.err << "fel: produkttexten har tecken utanför teckentabell 1252\n";
        ctx.exitCode = kExitUsage;
        return;
    }
    const std::optional<std::filesystem::path> file = dataFileArgument(ctx, app, o.file);
    if (!file) return;
    DataFile data(app);
    if (!data.Read(*file, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    std::unique_ptr<LoadedForm> loaded = loadTemplateFor(ctx, app, o.form, data.templateName());
    if (!loaded) return;
    const Form& form = *loaded->form;
    PromImage image = PromImageBuilder::build(systemValues(form, data.Store()));
    // The panel's product text first, then the file's identity, as a write places them.
    if (productGiven) PromImageBuilder::writeProductText(image, form.productAddress(), product);
    if (fileIdGiven && form.idAddress() >= 0)
        image.write(static_cast<std::uint32_t>(form.idAddress()), idBytes);
    if (convertGiven) {
        std::string model;
        if (!toCp1252(o.convertTo, model)) {
            ctx.err << "fel: modellen har tecken utanför teckentabell 1252\n";
            ctx.exitCode = kExitUsage;
            return;
        }
        ConversionList& conversions = app.conversions();
        conversions.LoadConversions(app.files(),
                                    app.programDirectory().folder(ProgramFolder::Convert));
        const ConversionEntry* entry = conversions.FindConversion(form.name(), model);
        if (!entry) {
            ctx.err << "fel: ingen konvertering från \"" << cp1252ToUtf8(form.name())
                    << "\" till \"" << o.convertTo << "\" i "
                    << app.programDirectory().folder(ProgramFolder::Convert).string() << "\n";
            ctx.exitCode = kExitRefused;
            return;
        }
        ConversionList::Convert(image, *entry);
    }
    printImage(ctx.out, image);
}

}  // namespace

void registerDataCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* data = app.add_subcommand("data", "Data files (.KQD): one system each");
    data->require_subcommand(1);

    auto show = std::make_shared<ShowOptions>();
    CLI::App* showCmd = data->add_subcommand(
        "show", "Show a data file's template, display name and records (needs no login)");
    showCmd->add_option("file", show->file, kDataFileHelp)->required();
    showCmd->add_option("--form", show->form,
                        "The template that names the fields (default: the system's own in FORMS)");
    showCmd->add_flag("--json", show->json,
                      "JSON: {template, displayName, records: [{address, type, flags, value, "
                      "page, caption}]} with the records in file order, page and caption null "
                      "for a value no control of the template shows; the stored password is "
                      "never shown");
    showCmd->callback([&ctx, show] { showData(ctx, *show); });

    auto made = std::make_shared<NewOptions>();
    CLI::App* newCmd = data->add_subcommand(
        "new",
        "Create FILES/<new file identifier>.KQD from a template's default values and the "
        "given ones, under the current system password; prints the new file's path");
    newCmd->add_option("--form", made->form, kTemplateHelp)->required();
    newCmd->add_option("--set", made->sets,
                       "ADDRESS=VALUE: ADDRESS the field address (decimal or 0x-hexadecimal), "
                       "VALUE as typed in the form; may be repeated. A value must pass the "
                       "checks of the form's control that shows the field (an edit field's "
                       "characters and limits, a choice list's values, a check box's "
                       "characters) and its type's codec; a refusal writes nothing");
    newCmd->callback([&ctx, made] { newData(ctx, *made); });

    auto set = std::make_shared<SetOptions>();
    CLI::App* setCmd = data->add_subcommand(
        "set",
        "Change values of a data file and save it; a value the form's control or the field's "
        "codec refuses is reported and nothing is written. The template is found in FORMS by "
        "the name the file records");
    setCmd->add_option("file", set->file, kDataFileHelp)->required();
    setCmd->add_option("assignments", set->sets, "ADDRESS=VALUE ... (as data new --set)")
        ->required();
    setCmd->add_option("--form", set->form,
                       "The template to use instead of the one in FORMS; it must be of the "
                       "system's own model");
    setCmd->callback([&ctx, set] { setData(ctx, *set); });

    auto image = std::make_shared<ImageOptions>();
    CLI::App* imageCmd = data->add_subcommand(
        "image",
        "Print the PROM image that writing this system would send: one line per 16-byte "
        "block that is not all FF, in address order, the address as 5 hexadecimal digits, "
        "a blank and 32 hexadecimal digits");
    imageCmd->add_option("file", image->file, kDataFileHelp)->required();
    imageCmd->add_option("--form", image->form,
                         "The template (default: the system's own in FORMS)");
    CLI::Option* idOpt = imageCmd->add_option(
        "--fileid", image->fileId, "Place this file identifier at the template's id address");
    CLI::Option* productOpt =
        imageCmd->add_option("--product", image->product,
                             "Place this panel product text at the template's product address "
                             "(without its first 8 characters)");
    CLI::Option* convertOpt = imageCmd->add_option(
        "--convert-to", image->convertTo,
        "Convert the image to this panel model with a conversion file from Convert");
    imageCmd->callback([&ctx, image, idOpt, productOpt, convertOpt] {
        imageData(ctx, *image, idOpt->count() > 0, productOpt->count() > 0,
                  convertOpt->count() > 0);
    });
}

}  // namespace loom::cli
