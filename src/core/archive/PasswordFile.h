#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class AppContext;

// LOGIN.KEY: records of 128 bytes, not enciphered. Record 0 holds the system password
// under an empty name, each later record one user. A record is the name, 0x00, the
// password, 0x00, then filler from PseudoRandom seeded with the time. Every operation
// opens the file without sharing and closes it again; every change is written through a
// temporary file and a rename, so the file is never left half-written.
class PasswordFile {
  public:
    static constexpr std::size_t kRecordSize = 128;
    // Name and password together: the two zero bytes must fit too.
    static constexpr std::size_t kMaxPairLength = kRecordSize - 3;
    using Record = std::array<std::uint8_t, kRecordSize>;

    explicit PasswordFile(AppContext& context);

    bool IsUsable();
    bool ReadSystemPassword(std::string& password);
    // Creates the file when absent; everything after record 0 stays.
    bool WriteSystemPassword(std::string_view password);
    bool ReadUsers(std::vector<std::string>& names, std::vector<std::string>& passwords);
    // Replaces every user record. A pair longer than kMaxPairLength is refused before
    // anything is written (false, file unchanged).
    bool WriteUsers(const std::vector<std::string>& names,
                    const std::vector<std::string>& passwords);
    // A whole new file: record 0 and these users, in one write over whatever lies there (a
    // faulty file included). A pair that does not fit is refused before anything is
    // written.
    bool WriteNew(std::string_view systemPassword, const std::vector<std::string>& names,
                  const std::vector<std::string>& passwords);
    bool CheckLogin(std::string_view name, std::string_view password);
    bool ChangePassword(std::string_view name, std::string_view oldPassword,
                        std::string_view newPassword);

    // One record; false when the pair does not fit. `seed` seeds the filler.
    static bool encodeRecord(std::string_view name, std::string_view password, std::uint32_t seed,
                             Record& out);
    // False for an invalid record (no 0x00 ends the password inside the record).
    static bool decodeRecord(std::span<const std::uint8_t> record, std::string& name,
                             std::string& password);

    const std::filesystem::path& path() const { return path_; }

  private:
    AppContext& context_;
    std::filesystem::path path_;
};

}  // namespace loom
