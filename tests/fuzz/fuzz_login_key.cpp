// LOGIN.KEY to the password file: readers leave the file alone, writers keep the records
// they do not touch.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/PasswordFile.h"

#include "FuzzHome.h"

using loom::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kRecord = loom::PasswordFile::kRecordSize;
    constexpr std::size_t kMaxPair = loom::PasswordFile::kMaxPairLength;
    loom::fuzz::MemoryHome home(true);
    const loom::fuzz::Bytes original(data, data + size);
    loom::fuzz::Bytes& key = home.files.files[home.context.programDirectory().loginKey()];
    key = original;
    loom::PasswordFile file(home.context);

    check(file.IsUsable() == (size % kRecord == 0));
    std::string systemPassword;
    const bool haveRecord0 = file.ReadSystemPassword(systemPassword);
    std::vector<std::string> names, passwords;
    check(file.ReadUsers(names, passwords) == haveRecord0);
    check(names.size() == passwords.size() && names.size() <= size / kRecord);
    for (std::size_t i = 0; i < names.size() && i < 4; ++i)
        check(file.CheckLogin(names[i], passwords[i]));
    file.CheckLogin("", systemPassword);
    check(key == original);

    if (!names.empty()) {
        // The first user's record is rewritten in place; nothing else moves.
        const bool changed = file.ChangePassword(names[0], passwords[0], "nytt");
        check(changed == (names[0].size() + 4 <= kMaxPair));
        if (changed) check(key.size() == size && file.CheckLogin(names[0], "nytt"));
        key = original;
    }

    // Writing the users back keeps record 0 and leaves whole records only. A record whose
    // second zero is its last byte reads, but its pair is one byte too long to write.
    bool allFit = true;
    for (std::size_t i = 0; i < names.size(); ++i)
        allFit = allFit && names[i].size() + passwords[i].size() <= kMaxPair;
    const bool written = file.WriteUsers(names, passwords);
    check(written == (size >= kRecord && allFit));
    check(written || key == original);
    if (!written) return 0;
    check(key.size() == kRecord * (1 + names.size()));
    check(std::equal(key.begin(), key.begin() + kRecord, original.begin()));
    std::vector<std::string> names2, passwords2;
    check(file.ReadUsers(names2, passwords2) == haveRecord0);
    if (haveRecord0) check(names2 == names && passwords2 == passwords);
    return 0;
}
