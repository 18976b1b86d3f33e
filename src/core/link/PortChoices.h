#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class PromLink;
class SerialDevices;
class SettingsStore;

// What the port dialog offers and which entries it selects: the same ports in the local
// and the modem list, the two products, each selection as an index (-1: none).
struct PortChoices {
    static constexpr std::array<std::string_view, 2> kProducts = {"Gridlan", "VT 340"};

    // COM1 to COM9 where the link can open them, then the machine's other serial devices
    // (a device a COM name stands for is offered under that name only). `inUse`, the port
    // the connection holds open, counts as there. Each list selects its setting's port,
    // else COM2, else its first entry; the product is "VT 340" only when the setting says
    // so.
    static PortChoices read(PromLink& link, SerialDevices& devices, SettingsStore& settings,
                            std::string_view inUse = {});
    // OK: the selection of each list that has one goes to its setting.
    void store(SettingsStore& settings) const;

    std::vector<std::string> ports;
    int local = -1;
    int remote = -1;
    int product = 0;
};

}  // namespace loom
