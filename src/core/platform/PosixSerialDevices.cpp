#include "platform/PosixSerialDevices.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <string_view>
#include <system_error>

#include "platform/UniqueFd.h"

namespace loom {
namespace {

bool numbered(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) return false;
    for (const char c : name.substr(prefix.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

// Opened without changing anything: no lock, no settings, and no wait for a carrier.
bool answersAsSerialPort(const std::filesystem::path& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios t{};
    return fd && ::isatty(fd.get()) && ::tcgetattr(fd.get(), &t) == 0;
}

}  // namespace

std::vector<std::string> PosixSerialDevices::list() {
    std::vector<std::string> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dev_, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool plugged = numbered(name, "ttyUSB") || numbered(name, "ttyACM");
        if (plugged || (numbered(name, "ttyS") && answersAsSerialPort(it->path())))
            found.push_back(it->path().string());
    }
    sortDevicePaths(found);
    return found;
}

}  // namespace loom
