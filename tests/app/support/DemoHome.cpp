#include "DemoHome.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>

namespace loom::test {
namespace {

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

}  // namespace

DemoHome::DemoHome(bool withSystems) : root_(dir_.path().toStdString()) {
    const std::filesystem::path forms = std::filesystem::path(LOOM_DEMO_DIR) / "forms";
    std::filesystem::create_directories(root_ / "FORMS");
    for (const char* name : {"GL200", "VT340"})
        run(std::string(LOOM_KQFORM) + " compile " + quoted(forms / (std::string(name) + ".kqf")) +
            " -o " + quoted(root_ / "FORMS" / (std::string(name) + ".FRM")));
    run(std::string(LOOM_DEMO_LOGIN) + " " + quoted(root_) + " demo demo demo");
    // The CLI reads these; the test's own settings file is set by ctest for the program.
    qputenv("LOOMCRAFT_HOME", QByteArray::fromStdString(root_.string()));
    qputenv("LOOMCRAFT_PASSWORD", "demo");
    const std::string cli = std::string(LOOM_CLI) + " ";
    run(cli + "settings set ComputerID D");
    if (withSystems) {
        const std::string gl = quoted(root_ / "FORMS" / "GL200.FRM");
        run(cli + "--login demo data new --form " + gl +
            " --set 0x100='Åkerlunds Bageri AB' --set 0x200='Storgatan 12' --set 0x4C0=1201");
        run(cli + "--login demo data new --form " + gl +
            " --set 0x100='Östra Skolan' --set 0x200='Skolvägen 3' --set 0x4C0=1202");
        run(cli + "index rebuild");
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(root_ / "FILES"))
            files.push_back(entry.path());
        // File names are their creation times: sorted is the order made.
        std::sort(files.begin(), files.end());
        systems_ = files;
    }
    qunsetenv("LOOMCRAFT_PASSWORD");
}

bool DemoHome::run(const std::string& command) {
    const bool done = std::system((command + " >/dev/null").c_str()) == 0;
    ok_ = ok_ && done;
    return done;
}

}  // namespace loom::test
