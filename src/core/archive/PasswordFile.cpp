#include "archive/PasswordFile.h"

#include <algorithm>
#include <memory>

#include "common/PseudoRandom.h"
#include "context/AppContext.h"

namespace loom {
namespace {

constexpr std::size_t kRecord = PasswordFile::kRecordSize;

// The file's whole content, read under the hold that `held` keeps for the operation.
bool openAndRead(AppContext& context, const std::filesystem::path& path, OpenMode mode,
                 std::unique_ptr<LockedFile>& held, std::string& content) {
    std::string error;
    held = context.files().openLocked(path, mode, error);
    if (!held) return false;
    content.clear();
    // Far more users than anybody keeps; a larger file is not a password file.
    constexpr std::uint64_t kLimit = std::uint64_t{kRecord} * 65536;
    return held->readAll(content, kLimit);
}

std::span<const std::uint8_t> recordAt(const std::string& content, std::size_t index) {
    return {reinterpret_cast<const std::uint8_t*>(content.data()) + index * kRecord, kRecord};
}

std::size_t wholeRecords(const std::string& content) {
    return content.size() / kRecord;
}

std::uint32_t fillerSeed(AppContext& context) {
    // The time in seconds, cut to 32 bits as the generator's seed takes it.
    return static_cast<std::uint32_t>(context.clock().nowSeconds());
}

void appendRecord(std::string& out, const PasswordFile::Record& record) {
    out.append(reinterpret_cast<const char*>(record.data()), record.size());
}

// Calls `visit(index, name, password)` for record 0 and every later whole record up to
// the first invalid one; stops early when `visit` returns false. An invalid record 0
// ends the scan before it starts.
template <class Visit>
void scanRecords(const std::string& content, Visit&& visit) {
    std::string name;
    std::string password;
    for (std::size_t i = 0; i < wholeRecords(content); ++i) {
        if (!PasswordFile::decodeRecord(recordAt(content, i), name, password)) return;
        if (!visit(i, name, password)) return;
    }
}

}  // namespace

PasswordFile::PasswordFile(AppContext& context)
    : context_(context), path_(context.programDirectory().loginKey()) {}

bool PasswordFile::encodeRecord(std::string_view name, std::string_view password,
                                std::uint32_t seed, Record& out) {
    if (name.size() + password.size() > kMaxPairLength) return false;
    // A zero byte inside would end the text early when the record is read back.
    if (name.find('\0') != std::string_view::npos) return false;
    if (password.find('\0') != std::string_view::npos) return false;
    std::size_t at = 0;
    for (char c : name)
        out[at++] = static_cast<std::uint8_t>(c);
    out[at++] = 0;
    for (char c : password)
        out[at++] = static_cast<std::uint8_t>(c);
    out[at++] = 0;
    PseudoRandom random(seed);
    while (at < kRecordSize)
        out[at++] = random.nextByte();
    return true;
}

bool PasswordFile::decodeRecord(std::span<const std::uint8_t> record, std::string& name,
                                std::string& password) {
    const auto bytes = record.first(std::min(record.size(), kRecordSize));
    const auto nameEnd = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    if (nameEnd == bytes.end()) return false;
    const auto passwordEnd = std::find(nameEnd + 1, bytes.end(), std::uint8_t{0});
    if (passwordEnd == bytes.end()) return false;
    name.assign(bytes.begin(), nameEnd);
    password.assign(nameEnd + 1, passwordEnd);
    return true;
}

bool PasswordFile::IsUsable() {
    std::unique_ptr<LockedFile> held;
    std::string content;
    if (!openAndRead(context_, path_, OpenMode::Existing, held, content)) return false;
    return content.size() % kRecordSize == 0;
}

bool PasswordFile::ReadSystemPassword(std::string& password) {
    std::unique_ptr<LockedFile> held;
    std::string content;
    if (!openAndRead(context_, path_, OpenMode::Existing, held, content)) return false;
    if (wholeRecords(content) < 1) return false;
    std::string name;
    std::string read;
    if (!decodeRecord(recordAt(content, 0), name, read)) return false;
    password = std::move(read);
    return true;
}

bool PasswordFile::WriteSystemPassword(std::string_view password) {
    Record record{};
    if (!encodeRecord({}, password, fillerSeed(context_), record)) return false;
    std::unique_ptr<LockedFile> held;
    std::string content;
    if (!openAndRead(context_, path_, OpenMode::CreateIfAbsent, held, content)) return false;
    // Record 0 is written over the start of the file: a shorter file is covered whole.
    std::string updated;
    updated.reserve(std::max(content.size(), kRecordSize));
    appendRecord(updated, record);
    if (content.size() > kRecordSize) updated.append(content, kRecordSize);
    return held->replace(updated);
}

bool PasswordFile::ReadUsers(std::vector<std::string>& names, std::vector<std::string>& passwords) {
    names.clear();
    passwords.clear();
    std::unique_ptr<LockedFile> held;
    std::string content;
    if (!openAndRead(context_, path_, OpenMode::Existing, held, content)) return false;
    bool haveRecord0 = false;
    scanRecords(content,
                [&](std::size_t index, const std::string& name, const std::string& password) {
                    if (index == 0) {
                        haveRecord0 = true;
                    } else {
                        names.push_back(name);
                        passwords.push_back(password);
                    }
                    return true;
                });
    return haveRecord0;
}

bool PasswordFile::WriteUsers(const std::vector<std::string>& names,
                              const std::vector<std::string>& passwords) {
    if (names.size() != passwords.size()) return false;
    // Every record is made before the file is touched, so a pair that does not fit
    // leaves the file as it was.
    std::string users;
    users.reserve(names.size() * kRecordSize);
    for (std::size_t i = 0; i < names.size(); ++i) {
        Record record{};
        if (!encodeRecord(names[i], passwords[i], fillerSeed(context_), record)) return false;
        appendRecord(users, record);
    }
    std::unique_ptr<LockedFile> held;
    std::string content;
    if (!openAndRead(context_, path_, OpenMode::Existing, held, content)) return false;
    if (content.size() < kRecordSize) return false;
    content.resize(kRecordSize);
    content += users;
    return held->replace(content);
}

bool PasswordFile::WriteNew(std::string_view systemPassword, const std::vector<std::string>& names,
                            const std::vector<std::string>& passwords) {
    if (names.size() != passwords.size()) return false;
    std::string content;
    content.reserve((names.size() + 1) * kRecordSize);
    Record record{};
    if (!encodeRecord({}, systemPassword, fillerSeed(context_), record)) return false;
    appendRecord(content, record);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!encodeRecord(names[i], passwords[i], fillerSeed(context_), record)) return false;
        appendRecord(content, record);
    }
    std::string error;
    std::unique_ptr<LockedFile> held =
        context_.files().openLocked(path_, OpenMode::CreateIfAbsent, error);
    return held && held->replace(content);
}

bool PasswordFile::CheckLogin(std::string_view name, std::string_view password) {
    std::unique_ptr<LockedFile> held;
    std::string content;
    if (!openAndRead(context_, path_, OpenMode::Existing, held, content)) return false;
    bool found = false;
    scanRecords(content, [&](std::size_t index, const std::string& recordName,
                             const std::string& recordPassword) {
        found = index > 0 && recordName == name && recordPassword == password;
        return !found;
    });
    return found;
}

bool PasswordFile::ChangePassword(std::string_view name, std::string_view oldPassword,
                                  std::string_view newPassword) {
    std::unique_ptr<LockedFile> held;
    std::string content;
    if (!openAndRead(context_, path_, OpenMode::Existing, held, content)) return false;
    std::size_t at = 0;
    scanRecords(content, [&](std::size_t index, const std::string& recordName,
                             const std::string& recordPassword) {
        if (index > 0 && recordName == name && recordPassword == oldPassword) at = index;
        return at == 0;
    });
    if (at == 0) return false;
    Record record{};
    if (!encodeRecord(name, newPassword, fillerSeed(context_), record)) return false;
    content.replace(at * kRecordSize, kRecordSize, reinterpret_cast<const char*>(record.data()),
                    record.size());
    return held->replace(content);
}

}  // namespace loom
