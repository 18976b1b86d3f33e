#include "AtomicFile.h"

#include <cstdint>
#include <memory>
#include <system_error>

#include "platform/FileSystem.h"

namespace loom::kqform {

// The program's own file layer does the work: a temporary file beside the target, synced
// and renamed over it, removed again when anything fails.
std::string writeFileAtomically(const std::filesystem::path& path, std::string_view data) {
    LocalFileSystem files;
    std::string error;
    std::unique_ptr<OutputFile> file = files.replaceFile(path, error);
    if (!file) return "cannot create a file beside " + path.string() + ": " + error;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    if (!file->write({bytes, data.size()}) || !file->commit())
        return "cannot write " + path.string();
    return {};
}

bool readWholeFile(const std::filesystem::path& path, std::string& data, std::string& error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        error = "cannot open " + path.string() + ": " + ec.message();
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = "cannot read " + path.string() + ": not a regular file";
        return false;
    }
    LocalFileSystem files;
    std::string content, reason;
    if (!files.readWhole(path, content, reason)) {
        error = "cannot read " + path.string() + ": " + reason;
        return false;
    }
    data = std::move(content);
    return true;
}

}  // namespace loom::kqform
