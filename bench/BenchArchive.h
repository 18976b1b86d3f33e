#pragma once
// The archive both re-enciphering benchmarks work on, so that their figures compare:
// data files of 300 values of mixed types plus the display-name fields, written under
// the password "old" into FILES of a fresh program directory.
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "archive/SystemSave.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "fields/FieldStore.h"

namespace loom::bench {

inline FieldStore archiveStore(int file) {
    constexpr int kRecordsPerFile = 300;
    FieldStore store;
    FieldAddress address = 0x100u << 3;
    for (int i = 0; i < kRecordsPerFile; ++i) {
        FieldRecord& r = store.findOrCreate(address);
        switch (i % 4) {
            case 0:
                r.type = 0;
                r.size = 16;
                r.value = std::to_string(i * 7 % 1000);
                break;
            case 1:
                r.type = 1;
                r.size = 16;
                r.value = "BEEF";
                break;
            case 2:
                r.type = 5;
                r.size = 16 * 8;
                r.value = "Entr\xE9 " + std::to_string(i);
                break;
            default:
                r.type = 8;
                r.size = 1;
                r.value = "1";
                break;
        }
        address += 16u << 3;
    }
    FieldRecord& name = store.findOrCreate(kAddresslessBit | (20000u << 3));
    name.flags = kFieldFlagDisplayName;
    name.value = "Kund " + std::to_string(file) + "\tStorgatan " + std::to_string(file % 90);
    return store;
}

// A temporary program directory holding `count` data files; removed again at the end.
class BenchArchive {
  public:
    BenchArchive(AppContext& context, const std::string& name, int count)
        : root_(std::filesystem::temp_directory_path() /
                ("loom-bench-" + name + "-" + std::to_string(::getpid()))) {
        context.setProgramDirectory(ProgramDirectory(root_));
        std::filesystem::create_directories(
            context.programDirectory().folder(ProgramFolder::Files));
        std::filesystem::create_directories(
            context.programDirectory().folder(ProgramFolder::Index));
        DataFile file(context);
        for (int i = 0; i < count; ++i) {
            const std::string key = "B" + std::to_string(100000 + i) + "0.KQD";
            SaveSystem(context, context.programDirectory().file(ProgramFolder::Files, key),
                       "GL 200", "old", archiveStore(i), false)
                .written;
        }
    }
    ~BenchArchive() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    BenchArchive(const BenchArchive&) = delete;
    BenchArchive& operator=(const BenchArchive&) = delete;

  private:
    std::filesystem::path root_;
};

}  // namespace loom::bench
