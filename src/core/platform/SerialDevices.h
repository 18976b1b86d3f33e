#pragma once

#include <string>
#include <vector>

namespace loom {

// The serial devices this machine has, by their paths, for the port lists.
class SerialDevices {
  public:
    virtual ~SerialDevices() = default;
    // In the order of sortDevicePaths, without repeats.
    virtual std::vector<std::string> list() = 0;
};

// Orders device paths by name and then by number ("/dev/ttyUSB2" before "/dev/ttyUSB10")
// and drops repeats.
void sortDevicePaths(std::vector<std::string>& paths);

}  // namespace loom
