#include "datafile/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "common/Messages.h"
#include "common/PseudoRandom.h"
#include "context/AppContext.h"
#include "datafile/DataFileCipher.h"
#include "datafile/LabelTable.h"
#include "fields/FieldCodec.h"
#include "platform/FileSystem.h"

namespace loom {
namespace {

constexpr char kMagic[] = "<KQ_DATA>";  // with its zero byte: the first 10 bytes
constexpr std::size_t kMagicLength = sizeof(kMagic);
constexpr std::uint8_t kVersion = 1;
constexpr std::uint32_t kEndMarker = 1;  // a flags word with bit 0 set
constexpr std::uint32_t kFlagEnd = 1;

// Why a read failed, where the failure has a text of its own.
enum class Reason { Ok, NoText, NotADataFile, UnknownVersion, WrongPassword, BadChecksum };

std::optional<MessageId> reasonMessage(Reason reason) {
    switch (reason) {
        case Reason::NotADataFile:
            return MessageId::NotADataFile;
        case Reason::UnknownVersion:
            return MessageId::UnknownVersion;
        case Reason::WrongPassword:
            return MessageId::WrongPassword;
        case Reason::BadChecksum:
            return MessageId::BadChecksum;
        default:
            return std::nullopt;
    }
}

// A value that Read could not take back: longer than the longest text or holding the zero
// byte that ends a text.
bool unreadable(std::string_view text) {
    return text.size() > DataFile::kMaxText || text.find('\0') != std::string_view::npos;
}

std::string hexAddress(FieldAddress address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(address));
    return text;
}

// Steps shared by Read and ReadHeader: magic, version, password field, template name.
Reason readHeader(CipherReader& in, std::string& templateName, std::string& password) {
    std::uint8_t magic[kMagicLength];
    for (std::uint8_t& b : magic) {
        if (!in.byte(b)) return Reason::NoText;
    }
    if (std::memcmp(magic, kMagic, kMagicLength) != 0) return Reason::NotADataFile;
    std::uint8_t version = 0;
    if (!in.byte(version)) return Reason::NoText;
    if (version != kVersion) return Reason::UnknownVersion;
    if (!in.text(password)) return Reason::NoText;
    if (password.size() >= DataFile::kPasswordField) return Reason::WrongPassword;
    if (!in.skip(DataFile::kPasswordField - password.size() - 1)) return Reason::NoText;
    if (!in.text(templateName)) return Reason::NoText;
    return Reason::Ok;
}

}  // namespace

const std::array<std::uint8_t, DataFile::kKeyLength>& DataFile::keyStream() {
    static const std::array<std::uint8_t, kKeyLength> key = [] {
        std::array<std::uint8_t, kKeyLength> bytes{};
        PseudoRandom random(kKeySeed);
        for (std::uint8_t& b : bytes)
            b = random.nextByte();
        return bytes;
    }();
    return key;
}

DataFile::DataFile(AppContext& context) : context_(context) {
    keyStream();
}

std::string DataFile::fileTitle(const std::filesystem::path& path) {
    std::string name = pathText(path.filename());
    if (const std::size_t dot = name.find('.'); dot != std::string::npos) name.resize(dot);
    return name;
}

namespace {

// One message: the context line with the path and, where there is one, the reason below.
void report(AppContext& context, bool reportErrors, MessageId what,
            const std::filesystem::path& path, std::string_view reason = {}) {
    if (reportErrors) context.prompt().show(fileMessage(what, path, reason), MessageKind::Warning);
}

void reportRead(AppContext& context, bool reportErrors, const std::filesystem::path& path,
                Reason reason) {
    const std::optional<MessageId> id = reasonMessage(reason);
    report(context, reportErrors, MessageId::CannotReadFile, path,
           id ? messageText(*id) : std::string_view{});
}

}  // namespace

bool DataFile::ReadHeader(const std::filesystem::path& path, std::string& templateName,
                          std::string& password, bool reportErrors) {
    store_.clear();
    fileOrder_.clear();
    displayName_.clear();
    std::string error;
    std::unique_ptr<InputFile> file = context_.files().openRead(path, error);
    if (!file) {
        reportRead(context_, reportErrors, path, Reason::NoText);
        return false;
    }
    CipherReader in(*file);
    std::string name;
    std::string secret;
    if (const Reason reason = readHeader(in, name, secret); reason != Reason::Ok) {
        reportRead(context_, reportErrors, path, reason);
        return false;
    }
    templateName = std::move(name);
    password = std::move(secret);
    return true;
}

bool DataFile::Read(const std::filesystem::path& path, bool reportErrors) {
    store_.clear();
    fileOrder_.clear();
    templateName_.clear();
    displayName_ = fileTitle(path);
    std::string error;
    std::unique_ptr<InputFile> file = context_.files().openRead(path, error);
    if (!file) {
        reportRead(context_, reportErrors, path, Reason::NoText);
        return false;
    }
    CipherReader in(*file);
    std::string password;
    if (const Reason reason = readHeader(in, templateName_, password); reason != Reason::Ok) {
        reportRead(context_, reportErrors, path, reason);
        return false;
    }

    // A record takes at least 13 bytes and rarely more than 40: room for the likely count
    // spares the store its growth steps without trusting the size too far.
    store_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(file->size() / 32, 1u << 17)));
    LabelTable& labels = context_.labels();
    labels.clear();
    for (;;) {
        std::uint32_t flags = 0;
        if (!in.u32(flags)) {
            reportRead(context_, reportErrors, path, Reason::NoText);
            return false;
        }
        if ((flags & kFlagEnd) != 0) break;
        std::uint32_t address = 0;
        std::uint32_t type = 0;
        if (!in.u32(address) || !in.u32(type)) {
            reportRead(context_, reportErrors, path, Reason::NoText);
            return false;
        }
        FieldRecord& record = store_.findOrCreate(address);
        record.flags = static_cast<std::uint8_t>(flags);
        record.type = static_cast<std::uint8_t>(type);
        if (!in.text(record.value)) {
            reportRead(context_, reportErrors, path, Reason::NoText);
            return false;
        }
        if ((record.flags & kFieldFlagDisplayName) != 0) {
            displayName_ += '\t';
            displayName_ += record.value;
        }
        if (isAddressless(address)) {
            if (const auto index = LabelTable::indexFor(address)) labels.set(*index, record.value);
        }
        if (keepFileOrder_) fileOrder_.push_back(record);
    }

    const std::uint32_t sum = in.checksum();
    std::uint32_t stored = 0;
    if (!in.u32(stored)) {
        reportRead(context_, reportErrors, path, Reason::NoText);
        return false;
    }
    if (stored != sum) {
        reportRead(context_, reportErrors, path, Reason::BadChecksum);
        return false;
    }
    return true;
}

std::unique_ptr<OutputFile> DataFile::writeOut(const std::filesystem::path& path,
                                               std::string_view templateName,
                                               std::string_view password, const FieldStore& source,
                                               bool reportErrors, std::string& indexedValues) {
    indexedValues.clear();
    // Everything that would make a file Read cannot take back is refused before a byte is
    // written, so that the previous file stays.
    if (password.size() >= kPasswordField || password.find('\0') != std::string_view::npos ||
        unreadable(templateName)) {
        report(context_, reportErrors, MessageId::CannotSaveFile, path);
        return nullptr;
    }
    // The text each record is saved with: its normalised form, gathered in one arena so
    // that a large store costs no allocation per record, or its stored value.
    struct Pending {
        const FieldRecord* record;
        std::size_t at;
        std::size_t length;
        bool normalised;
    };
    std::vector<Pending> records;
    records.reserve(source.size());
    std::string arena;
    std::string text;
    for (const FieldRecord* record : source.ordered()) {
        Pending pending{record, 0, 0, false};
        // A record read from a file and not yet merged with its template has size 0:
        // normalising it through no bits at all would destroy its value.
        if (!isAddressless(record->address) && record->size != 0 && normaliseValue(*record, text)) {
            pending = Pending{record, arena.size(), text.size(), true};
            arena += text;
        }
        const std::string_view written =
            pending.normalised ? std::string_view(arena).substr(pending.at, pending.length)
                               : std::string_view(record->value);
        if (unreadable(written)) {
            report(context_, reportErrors, MessageId::CannotSaveFile, path,
                   formatMessage(MessageId::ValueCannotBeSaved, {hexAddress(record->address)}));
            return nullptr;
        }
        if ((record->flags & kFieldFlagDisplayName) != 0) {
            indexedValues += '\t';
            indexedValues += written;
        }
        records.push_back(pending);
    }

    std::string error;
    std::unique_ptr<OutputFile> file = context_.files().replaceFile(path, error);
    if (!file) {
        report(context_, reportErrors, MessageId::CannotSaveFile, path, error);
        return nullptr;
    }
    CipherWriter out(*file);
    out.bytes(reinterpret_cast<const std::uint8_t*>(kMagic), kMagicLength);
    out.byte(kVersion);
    out.text(password);
    PseudoRandom filler(static_cast<std::uint32_t>(context_.clock().nowSeconds()));
    for (std::size_t i = password.size() + 1; i < kPasswordField; ++i)
        out.byte(filler.nextByte());
    out.text(templateName);
    for (const Pending& pending : records) {
        const FieldRecord& record = *pending.record;
        // Bit 0 set would make the flags word the end marker and cut the file short.
        out.u32(record.flags & ~kFlagEnd);
        out.u32(record.address);
        out.u32(record.type);
        out.text(pending.normalised ? std::string_view(arena).substr(pending.at, pending.length)
                                    : std::string_view(record.value));
    }
    out.u32(kEndMarker);
    out.u32(out.checksum());
    if (!out.finish()) {
        report(context_, reportErrors, MessageId::CannotSaveFile, path, file->error());
        return nullptr;
    }
    return file;
}

void DataFile::saved(const std::filesystem::path& path, std::string_view indexedValues) {
    displayName_ = fileTitle(path);
    displayName_ += indexedValues;
}

bool DataFile::Write(const std::filesystem::path& path, std::string_view templateName,
                     std::string_view password, const FieldStore& source, bool reportErrors) {
    displayName_ = fileTitle(path);
    std::string indexedValues;
    std::unique_ptr<OutputFile> file =
        writeOut(path, templateName, password, source, reportErrors, indexedValues);
    if (!file) return false;
    if (!file->commit()) {
        report(context_, reportErrors, MessageId::CannotSaveFile, path, file->error());
        return false;
    }
    file.reset();
    saved(path, indexedValues);
    return true;
}

std::filesystem::path DataFile::WriteNew(const std::function<std::filesystem::path(int)>& nameFor,
                                         int names, std::string_view templateName,
                                         std::string_view password, const FieldStore& source,
                                         bool reportErrors) {
    const std::filesystem::path first = nameFor(0);
    displayName_ = fileTitle(first);
    std::string indexedValues;
    std::unique_ptr<OutputFile> file =
        writeOut(first, templateName, password, source, reportErrors, indexedValues);
    if (!file) return {};
    // The content does not depend on the name: it is written once and offered under one
    // name after the other.
    for (int step = 0; step < names; ++step) {
        const std::filesystem::path path = step == 0 ? first : nameFor(step);
        switch (file->commitNew(path)) {
            case NewFileResult::Created:
                file.reset();
                saved(path, indexedValues);
                return path;
            case NewFileResult::NameTaken:
                continue;
            case NewFileResult::Failed:
                report(context_, reportErrors, MessageId::CannotSaveFile, path, file->error());
                return {};
        }
    }
    report(context_, reportErrors, MessageId::CannotSaveFile, first, systemErrorText(EEXIST));
    return {};
}

void DataFile::CopyStoreTo(FieldStore& target) const {
    target.clear();
    target.reserve(store_.size());
    store_.forEach([&target](const FieldRecord& record) { target.copyIn(record); });
}

}  // namespace loom
