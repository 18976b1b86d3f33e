#include "platform/SerialDevices.h"

#include <algorithm>
#include <string_view>
#include <tuple>

namespace loom {
namespace {

// A path as its name before the trailing digits and the number they make.
std::tuple<std::string_view, std::size_t, std::string_view> orderKey(std::string_view path) {
    std::size_t digits = path.size();
    while (digits > 0 && path[digits - 1] >= '0' && path[digits - 1] <= '9')
        --digits;
    std::string_view number = path.substr(digits);
    while (number.size() > 1 && number.front() == '0')
        number.remove_prefix(1);
    // Longer digit strings are larger numbers; equal lengths compare as text.
    return {path.substr(0, digits), number.size(), number};
}

}  // namespace

void sortDevicePaths(std::vector<std::string>& paths) {
    std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        const auto ka = orderKey(a);
        const auto kb = orderKey(b);
        return ka != kb ? ka < kb : a < b;
    });
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
}

}  // namespace loom
