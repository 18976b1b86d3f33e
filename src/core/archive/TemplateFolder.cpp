#include "archive/TemplateFolder.h"

#include <cstdint>
#include <vector>

#include "context/AppContext.h"
#include "template/TemplateScanner.h"

namespace loom {
namespace {

// Magic and version (11 bytes) and two texts of at most 699 characters with their zero
// bytes: a header never needs more, however large the template.
constexpr std::size_t kHeaderBytes = 11 + 2 * 700;

std::vector<std::uint8_t> readStart(InputFile& input) {
    std::vector<std::uint8_t> bytes(kHeaderBytes);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t n = input.read(std::span<std::uint8_t>(bytes).subspan(got));
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace

void scanTemplateHeaders(
    AppContext& context, const std::function<bool(const TemplateFileHeader&)>& visit,
    const std::function<void(const std::filesystem::path&, std::string_view)>& cannotOpen) {
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Forms);
    for (const std::string& file :
         context.files().list(folder, ProgramDirectory::kTemplateExtension)) {
        const std::filesystem::path path = folder / file;
        std::string error;
        const std::unique_ptr<InputFile> input = context.files().openRead(path, error);
        if (!input) {
            if (cannotOpen) cannotOpen(path, error);
            continue;
        }
        const std::vector<std::uint8_t> start = readStart(*input);
        TemplateFileHeader header;
        header.file = file;
        try {
            TemplateHeader read = TemplateScanner::fromMemory(start).readHeader();
            header.name = std::move(read.name);
            header.title = std::move(read.title);
        } catch (const TemplateScanError&) {
            continue;
        }
        if (!visit(header)) return;
    }
}

}  // namespace loom
