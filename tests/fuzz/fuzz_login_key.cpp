// Feeds arbitrary bytes to the password file as the content of LOGIN.KEY: every reader
// must cope, and the writers must keep the records they do not touch.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "archive/PasswordFile.h"
#include "context/AppContext.h"
#include "document/ProgramState.h"
#include "platform/Clock.h"
#include "platform/UserPrompt.h"

namespace {

// One program directory per fuzzing process, removed when it ends. In memory where the
// system offers it: every change is synced to the disk, which would bound the run.
struct Home {
    static std::filesystem::path base() {
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }

    std::filesystem::path root = base() / ("loom-fuzz-login-" + std::to_string(::getpid()));
    loom::SilentPrompt prompt;
    loom::FixedClock clock{1'700'000'000};
    loom::ProgramState context{prompt};

    Home() {
        std::filesystem::create_directories(root);
        context.setProgramDirectory(loom::ProgramDirectory(root));
        context.setClock(clock);
    }
    ~Home() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    void write(const std::uint8_t* data, std::size_t size) const {
        std::ofstream(context.programDirectory().loginKey(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string read() const {
        std::ifstream in(context.programDirectory().loginKey(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Home home;
    home.write(data, size);
    const std::string original(reinterpret_cast<const char*>(data), size);
    loom::PasswordFile file(home.context);

    check(file.IsUsable() == (size % loom::PasswordFile::kRecordSize == 0));
    std::string systemPassword;
    const bool haveRecord0 = file.ReadSystemPassword(systemPassword);
    std::vector<std::string> names;
    std::vector<std::string> passwords;
    check(file.ReadUsers(names, passwords) == haveRecord0);
    check(names.size() == passwords.size());
    check(names.size() <= size / loom::PasswordFile::kRecordSize);
    for (std::size_t i = 0; i < names.size() && i < 4; ++i)
        check(file.CheckLogin(names[i], passwords[i]));
    file.CheckLogin("", systemPassword);
    check(home.read() == original);  // readers leave the file alone

    if (!names.empty()) {
        // The first user's record is rewritten in place; nothing else moves.
        const bool changed = file.ChangePassword(names[0], passwords[0], "nytt");
        check(changed == (names[0].size() + 4 <= loom::PasswordFile::kMaxPairLength));
        if (changed) {
            check(home.read().size() == size);
            check(file.CheckLogin(names[0], "nytt"));
        }
        home.write(data, size);
    }

    // Writing the users back keeps record 0 and leaves whole records only. A record whose
    // second zero is its last byte reads, but its pair is one byte too long to write.
    bool allFit = true;
    for (std::size_t i = 0; i < names.size(); ++i)
        allFit =
            allFit && names[i].size() + passwords[i].size() <= loom::PasswordFile::kMaxPairLength;
    const bool written = file.WriteUsers(names, passwords);
    check(written == (size >= loom::PasswordFile::kRecordSize && allFit));
    if (!written) check(home.read() == original);
    if (written) {
        const std::string after = home.read();
        check(after.size() == loom::PasswordFile::kRecordSize * (1 + names.size()));
        check(after.compare(0, loom::PasswordFile::kRecordSize, original, 0,
                            loom::PasswordFile::kRecordSize) == 0);
        std::vector<std::string> names2;
        std::vector<std::string> passwords2;
        check(file.ReadUsers(names2, passwords2) == haveRecord0);
        if (haveRecord0) check(names2 == names && passwords2 == passwords);
    }
    return 0;
}
