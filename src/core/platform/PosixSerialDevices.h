#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/SerialDevices.h"

namespace loom {

// The POSIX devices below `dev`: every ttyS* that answers an open as a serial port (the
// kernel keeps such names for ports that are not there), and every ttyUSB* and ttyACM*
// (they exist only while their device is plugged in).
class PosixSerialDevices final : public SerialDevices {
  public:
    explicit PosixSerialDevices(std::filesystem::path dev = "/dev") : dev_(std::move(dev)) {}
    std::vector<std::string> list() override;

  private:
    std::filesystem::path dev_;
};

}  // namespace loom
