#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace loom::kqform {

std::string writeFileAtomically(const std::filesystem::path& path, std::string_view data) {
    std::random_device random;
    std::filesystem::path temp = path;
    temp += ".tmp" + std::to_string(random() % 1000000);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return "cannot create " + temp.string() + ": " + std::strerror(errno);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return "cannot write " + temp.string();
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return "cannot replace " + path.string() + ": " + ec.message();
    }
    return {};
}

bool readWholeFile(const std::filesystem::path& path, std::string& data, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path.string();
        return false;
    }
    data = std::move(buffer).str();
    return true;
}

}  // namespace loom::kqform
