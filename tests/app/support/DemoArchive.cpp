#include "DemoArchive.h"

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
    const QString forms = QStringLiteral(LOOM_DEMO_DIR "/forms/");
    QDir(home).mkpath(QStringLiteral("FORMS"));
    const QString gl = home + QStringLiteral("/FORMS/GL200.FRM");
    const QString vt = home + QStringLiteral("/FORMS/VT340.FRM");
    const QString cli = QStringLiteral(LOOM_CLI);
    const QStringList login = {QStringLiteral("--login"), QStringLiteral("demo"),
                               QStringLiteral("data"), QStringLiteral("new"),
                               QStringLiteral("--form")};
    run(QStringLiteral(LOOM_KQFORM),
        {QStringLiteral("compile"), forms + QStringLiteral("GL200.kqf"), QStringLiteral("-o"),
         gl}) &&
        run(QStringLiteral(LOOM_KQFORM),
            {QStringLiteral("compile"), forms + QStringLiteral("VT340.kqf"), QStringLiteral("-o"),
             vt}) &&
        run(QStringLiteral(LOOM_DEMO_LOGIN),
            {home, QStringLiteral("demo"), QStringLiteral("demo"), QStringLiteral("demo")}) &&
        run(cli, {QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("ComputerID"),
                  QStringLiteral("D")}) &&
        run(cli,
            login + QStringList{gl, QStringLiteral("--set"), QStringLiteral("0x100=Östra Skolan"),
                                QStringLiteral("--set"), QStringLiteral("0x200=Skolvägen 3")}) &&
        run(cli,
            login + QStringList{gl, QStringLiteral("--set"),
                                QStringLiteral("0x100=Åkerlunds Bageri AB"),
                                QStringLiteral("--set"), QStringLiteral("0x200=Storgatan 12")}) &&
        run(cli, login + QStringList{vt, QStringLiteral("--set"),
                                     QStringLiteral("0x80=Ängens Förskola")}) &&
        run(cli, {QStringLiteral("index"), QStringLiteral("rebuild")});
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
