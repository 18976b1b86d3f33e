// Feeds arbitrary bytes to the data file reader as the content of a data file: both the
// full read and the header read must refuse or accept without crashing, and whatever a
// full read accepts must save and read back to the same records.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "platform/Clock.h"
#include "platform/UserPrompt.h"

#include "MemoryFileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    loom::SilentPrompt prompt;
    loom::FixedClock clock{1'700'000'000};
    loom::fuzz::MemoryFileSystem files;
    loom::ProgramState context(prompt);
    context.setFileSystem(files);
    context.setClock(clock);
    const std::filesystem::path path = "FILES/A1B2C3D0.KQD";
    const std::filesystem::path copy = "FILES/COPY.KQD";
    files.files[path] = loom::fuzz::Bytes(data, data + size);

    loom::DataFile file(context);
    std::string templateName, password;
    const bool header = file.ReadHeader(path, templateName, password, true);
    if (!file.Read(path, true)) return 0;
    if (!header || templateName != file.templateName()) std::abort();

    // Whatever was read saves and reads back the same.
    if (!file.Write(copy, templateName, password, file.Store(), true)) std::abort();
    loom::DataFile again(context);
    std::string templateAgain, passwordAgain;
    if (!again.ReadHeader(copy, templateAgain, passwordAgain, false) ||
        templateAgain != templateName || passwordAgain != password)
        std::abort();
    if (!again.Read(copy, false) || again.Store().size() != file.Store().size()) std::abort();
    for (const loom::FieldRecord* record : file.Store().ordered()) {
        const loom::FieldRecord* back = again.Store().find(record->address);
        if (back == nullptr || !(*back == *record)) std::abort();
    }
    return 0;
}
