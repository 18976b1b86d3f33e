#pragma once

#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

namespace loom::test {

// A program directory of its own for a GUI test: the demo templates, LOGIN.KEY with the
// user demo / demo (system password "demo"), computer id D and, when asked, the demo
// systems with both indexes, made with the real tools as the demo script makes them.
class DemoHome {
  public:
    explicit DemoHome(bool withSystems = true);
    const std::filesystem::path& root() const { return root_; }
    QString rootText() const { return QString::fromStdString(root_.string()); }
    // The data files made, in the order made (Åkerlunds Bageri AB first).
    const std::vector<std::filesystem::path>& systems() const { return systems_; }
    bool ok() const { return ok_; }

  private:
    bool run(const std::string& command);

    QTemporaryDir dir_;
    std::filesystem::path root_;
    std::vector<std::filesystem::path> systems_;
    bool ok_ = true;
};

}  // namespace loom::test
