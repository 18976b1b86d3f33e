// A data file to the data file reader: what a full read accepts saves and reads back to
// the same records.
#include <cstdint>
#include <string>

#include "datafile/DataFile.h"

#include "FuzzHome.h"

using loom::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    loom::fuzz::MemoryHome home(false);
    const loom::fuzz::Path path = "home/FILES/A1B2C3D0.KQD", copy = "home/FILES/COPY.KQD";
    home.files.files[path] = loom::fuzz::Bytes(data, data + size);

    loom::DataFile file(home.context);
    std::string templateName, password;
    const bool header = file.ReadHeader(path, templateName, password, true);
    if (!file.Read(path, true)) return 0;
    check(header && templateName == file.templateName());

    check(file.Write(copy, templateName, password, file.Store(), true));
    loom::DataFile again(home.context);
    std::string templateAgain, passwordAgain;
    check(again.ReadHeader(copy, templateAgain, passwordAgain, false) &&
          templateAgain == templateName && passwordAgain == password);
    check(again.Read(copy, false) && again.Store().size() == file.Store().size());
    for (const loom::FieldRecord* record : file.Store().ordered()) {
        const loom::FieldRecord* back = again.Store().find(record->address);
        check(back != nullptr && *back == *record);
    }
    return 0;
}
