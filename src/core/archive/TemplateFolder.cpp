#include "archive/TemplateFolder.h"

#include "context/AppContext.h"
#include "template/TemplateScanner.h"

namespace loom {

void scanTemplateHeaders(AppContext& context,
                         const std::function<bool(const TemplateFileHeader&)>& visit,
                         const std::function<void(const std::filesystem::path&, int)>& cannotOpen) {
    // The header lies at the start: a small buffer keeps a folder of large templates cheap.
    constexpr std::size_t kHeaderBuffer = 4096;
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Forms);
    for (const std::string& file :
         context.files().list(folder, ProgramDirectory::kTemplateExtension)) {
        const std::filesystem::path path = folder / file;
        TemplateFileHeader header;
        header.file = file;
        try {
            TemplateScanner scanner = TemplateScanner::openFile(path.string(), kHeaderBuffer);
            TemplateHeader read = scanner.readHeader();
            header.name = std::move(read.name);
            header.title = std::move(read.title);
        } catch (const TemplateScanError& e) {
            if (e.failure() == ScanFailure::CannotOpen && cannotOpen)
                cannotOpen(path, e.systemError());
            continue;
        }
        if (!visit(header)) return;
    }
}

}  // namespace loom
