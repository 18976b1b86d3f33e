#include "link/PortChoices.h"

#include <algorithm>

#include "link/PromLink.h"
#include "platform/Channel.h"
#include "platform/SerialDevices.h"
#include "platform/Settings.h"

namespace loom {
namespace {

constexpr int kComPorts = 9;

std::string comName(int n) {
    return "COM" + std::to_string(n);
}

int indexOf(const std::vector<std::string>& list, std::string_view entry) {
    const auto it = std::find(list.begin(), list.end(), entry);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

int selection(const std::vector<std::string>& ports, std::string_view setting) {
    for (const std::string_view wanted : {setting, std::string_view("COM2")})
        if (const int i = indexOf(ports, wanted); i >= 0) return i;
    return ports.empty() ? -1 : 0;
}

}  // namespace

PortChoices PortChoices::read(PromLink& link, SerialDevices& devices, SettingsStore& store,
                              std::string_view inUse) {
    // An open port refuses a second open; it is there all the same. The link itself is
    // not asked: a transfer's worker may be using it.
    const std::string inUsePath = inUse.empty() ? "" : PosixChannelFactory::devicePath(inUse);
    PortChoices c;
    std::vector<std::string> comDevices;
    for (int n = 1; n <= kComPorts; ++n) {
        const std::string name = comName(n);
        comDevices.push_back(PosixChannelFactory::devicePath(name));
        if (comDevices.back() == inUsePath || link.PortExists(name)) c.ports.push_back(name);
    }
    std::vector<std::string> others = devices.list();
    if (!inUse.empty()) others.emplace_back(inUse);
    std::erase_if(others, [&](const std::string& port) {
        return indexOf(comDevices, PosixChannelFactory::devicePath(port)) >= 0;
    });
    sortDevicePaths(others);
    c.ports.insert(c.ports.end(), others.begin(), others.end());

    const Settings settings(store);
    c.local = selection(c.ports, settings.text(setting::kLocalPort));
    c.remote = selection(c.ports, settings.text(setting::kRemotePort));
    c.product = settings.text(setting::kProduct) == kProducts[1] ? 1 : 0;
    return c;
}

void PortChoices::store(SettingsStore& store) const {
    Settings settings(store);
    const auto valid = [this](int i) { return i >= 0 && i < static_cast<int>(ports.size()); };
    if (valid(local)) settings.setText(setting::kLocalPort, ports[static_cast<std::size_t>(local)]);
    if (valid(remote))
        settings.setText(setting::kRemotePort, ports[static_cast<std::size_t>(remote)]);
    if (product >= 0 && product < static_cast<int>(kProducts.size()))
        settings.setText(setting::kProduct, kProducts[static_cast<std::size_t>(product)]);
}

}  // namespace loom
