#include "DemoArchive.h"

#include <algorithm>
#include <utility>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include "QtText.h"
#include "context/AppContext.h"

namespace loom::test {

DemoArchive::DemoArchive() {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    const QString home = dir_.path();
    QDir(home).mkpath(QStringLiteral("FORMS"));
    const QString forms = QStringLiteral(LOOM_DEMO_DIR "/forms/");
    const QString gl = home + QStringLiteral("/FORMS/GL200.FRM");
    const QString vt = home + QStringLiteral("/FORMS/VT340.FRM");
    const QString kqform = QStringLiteral(LOOM_KQFORM), cli = QStringLiteral(LOOM_CLI);
    const auto newSystem = [&](const QString& form, const QStringList& values) {
        QStringList arguments = {"--login", "demo", "data", "new", "--form", form};
        for (const QString& value : values)
            arguments << QStringLiteral("--set") << value;
        return std::pair{cli, arguments};
    };
    const std::vector<std::pair<QString, QStringList>> steps = {
        {kqform, {"compile", forms + "GL200.kqf", "-o", gl}},
        {kqform, {"compile", forms + "VT340.kqf", "-o", vt}},
        {QStringLiteral(LOOM_DEMO_LOGIN), {home, "demo", "demo", "demo"}},
        {cli, {"settings", "set", "ComputerID", "D"}},
        newSystem(gl, {"0x100=Östra Skolan", "0x200=Skolvägen 3"}),
        newSystem(gl, {"0x100=Åkerlunds Bageri AB", "0x200=Storgatan 12"}),
        newSystem(vt, {"0x80=Ängens Förskola"}),
        {cli, {"index", "rebuild"}},
    };
    for (const auto& [program, arguments] : steps)
        if (!run(program, arguments)) return;
}

std::vector<std::filesystem::path> DemoArchive::systems() const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(home() / "FILES"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::filesystem::path DemoArchive::home() const {
    return pathFromQt(dir_.path());
}

void DemoArchive::attach(AppContext& context) const {
    context.setProgramDirectory(ProgramDirectory(home()));
}

bool DemoArchive::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LOOMCRAFT_HOME"), dir_.path());
    env.insert(QStringLiteral("LOOMCRAFT_SETTINGS"), dir_.filePath(QStringLiteral("settings.ini")));
    env.insert(QStringLiteral("LOOMCRAFT_PASSWORD"), QStringLiteral("demo"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    // Each step is a small local program; a hung one is an error, not a wait forever.
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error_ = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) +
                 QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    return true;
}

}  // namespace loom::test
