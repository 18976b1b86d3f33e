#include "platform/Channel.h"
#include "platform/PosixSerialChannel.h"
#include "platform/PosixTcpChannel.h"

namespace loom {

std::string PosixChannelFactory::devicePath(std::string_view portName) {
    // Port names are stored as "COM%d"; COM1 is the first serial port, /dev/ttyS0.
    constexpr std::string_view kPrefix = "COM";
    if (portName.size() > kPrefix.size() && portName.size() <= kPrefix.size() + 9 &&
        portName.substr(0, kPrefix.size()) == kPrefix) {
        long number = 0;
        for (char c : portName.substr(kPrefix.size())) {
            if (c < '0' || c > '9') return std::string(portName);
            number = number * 10 + (c - '0');
        }
        if (number >= 1) return "/dev/ttyS" + std::to_string(number - 1);
    }
    return std::string(portName);
}

std::unique_ptr<Channel> PosixChannelFactory::openSerial(std::string_view portName,
                                                         const SerialSettings& settings,
                                                         std::string& error) {
    return PosixSerialChannel::open(devicePath(portName), settings, error);
}

std::unique_ptr<Channel> PosixChannelFactory::connectTcp(std::string_view address,
                                                         std::string_view port,
                                                         std::string& error) {
    return PosixTcpChannel::connect(address, port, error);
}

}  // namespace loom
