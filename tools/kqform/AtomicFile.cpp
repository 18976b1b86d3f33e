#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <system_error>

namespace loom::kqform {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string systemError(int error) {
    return std::strerror(error);
}

// Creates a new temporary file beside `path`. The "x" mode creates it exclusively, so an
// existing file of the same name (or a link planted there) is never opened or overwritten;
// a taken name is retried with another one.
File createTemporary(const std::filesystem::path& path, std::filesystem::path& temp,
                     std::string& error) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp%016llx",
                      static_cast<unsigned long long>(random()));
        temp = path;
        temp += suffix;
        errno = 0;
        File file(std::fopen(temp.string().c_str(), "wbx"));
        if (file) return file;
        if (errno != EEXIST) {
            error = "cannot create " + temp.string() + ": " + systemError(errno);
            return nullptr;
        }
    }
    error =
        "cannot create a temporary file beside " + path.string() + ": every name tried is taken";
    return nullptr;
}

}  // namespace

std::string writeFileAtomically(const std::filesystem::path& path, std::string_view data) {
    std::filesystem::path temp;
    std::string error;
    File file = createTemporary(path, temp, error);
    if (!file) return error;
    auto fail = [&](std::string message) {
        file.reset();
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return message;
    };
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file.get()) != data.size()) {
        return fail("cannot write " + temp.string() + ": " + systemError(errno));
    }
    // Closing flushes; a full disk may only show here.
    if (std::fclose(file.release()) != 0) {
        return fail("cannot write " + temp.string() + ": " + systemError(errno));
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) return fail("cannot replace " + path.string() + ": " + ec.message());
    return {};
}

bool readWholeFile(const std::filesystem::path& path, std::string& data, std::string& error) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec) {
        error = "cannot open " + path.string() + ": " + ec.message();
        return false;
    }
    // A directory opens without complaint on some systems and then fails or reads nothing.
    if (!std::filesystem::is_regular_file(status)) {
        error = "cannot read " + path.string() + ": not a regular file";
        return false;
    }
    errno = 0;
    File file(std::fopen(path.string().c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path.string() + ": " + systemError(errno);
        return false;
    }
    std::string content;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        content.append(buffer, n);
    if (std::ferror(file.get())) {
        error = "cannot read " + path.string() + ": " + systemError(errno);
        return false;
    }
    data = std::move(content);
    return true;
}

}  // namespace loom::kqform
