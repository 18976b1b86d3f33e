#pragma once

#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <vector>

namespace loom {
class AppContext;
}

namespace loom::test {

// A program directory of its own for a GUI test, made as the demo makes its home: the
// demo templates compiled into FORMS, LOGIN.KEY with system password "demo" and user
// "demo" (password "demo"), three systems in FILES and both indexes rebuilt.
class DemoArchive {
  public:
    DemoArchive();

    // Empty when the archive was made; otherwise what failed.
    const QString& error() const { return error_; }
    std::filesystem::path home() const;
    // The data files in FILES, in name order.
    std::vector<std::filesystem::path> systems() const;
    // The context works in this archive.
    void attach(AppContext& context) const;

  private:
    bool run(const QString& program, const QStringList& arguments);

    QTemporaryDir dir_;
    QString error_;
};

}  // namespace loom::test
