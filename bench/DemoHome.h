#pragma once
// The demo home the window benchmarks run on: LOOMCRAFT_HOME, else the build's demo home
// (LOOM_DEMO_HOME, set by the benchmark's target); and its systems in name order.
#include <QByteArray>
#include <QtGlobal>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace loom::bench {

inline std::filesystem::path demoHome() {
    const QByteArray set = qgetenv("LOOMCRAFT_HOME");
    return set.isEmpty() ? std::filesystem::path(LOOM_DEMO_HOME)
                         : std::filesystem::path(set.toStdString());
}

inline std::vector<std::filesystem::path> demoSystems() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(demoHome() / "FILES", error))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace loom::bench
