#include "platform/Channel.h"

namespace loom {

std::unique_ptr<Channel> PosixChannelFactory::openSerial(std::string_view, const SerialSettings&,
                                                         std::string& error) {
    error = "not built yet";
    return nullptr;
}

std::unique_ptr<Channel> PosixChannelFactory::connectTcp(std::string_view, std::string_view,
                                                         std::string& error) {
    error = "not built yet";
    return nullptr;
}

}  // namespace loom
