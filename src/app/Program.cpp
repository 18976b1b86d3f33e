#include "Program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <cstdlib>
#include <iostream>

#include "ProgramStart.h"
#include "QtPrompt.h"
#include "QtText.h"
#include "QtUiThread.h"
#include "archive/LoginController.h"
#include "context/AppContext.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/QtDialogs.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "frame/MainFrame.h"
#include "transfer/MarshalledPrompt.h"

namespace loom {
namespace {

// LOOMCRAFT_EXIT_AFTER_SHOWN=1 (for checking an installed package without a user): the
// title of the first window shown, and a message box's text, go to stdout and the program
// ends at once with exit code 0, as a cancelled login would, without unwinding the modal
// loop it is in.
class FirstWindowReport final : public QObject {
  public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Show || window == nullptr || !window->isWindow()) return false;
        std::cout << window->windowTitle().toUtf8().constData() << '\n';
        if (auto* box = qobject_cast<QMessageBox*>(window))
            std::cout << box->text().toUtf8().constData() << '\n';
        std::cout.flush();
        std::_Exit(0);
    }
};

}  // namespace

struct Program::Parts {
    explicit Parts(const ProgramOptions& options)
        : marshalled(prompt, ui),
          start(marshalled, fromQt(options.home)),
          context(start.context()),
          dialogs(context) {
        context.setDialogs(dialogs);
    }

    QtPrompt prompt;
    QtUiThread ui;
    // The worker's questions reach the boxes on the user's thread through this.
    MarshalledPrompt marshalled;
    ProgramStart start;
    AppContext& context;
    QtDialogs dialogs;
    std::unique_ptr<MainFrame> frame;
    std::unique_ptr<ProgramDocument> document;
};

Program::Program(const ProgramOptions& options)
    : options_(options), parts_(std::make_unique<Parts>(options)) {
    if (!options.screenshot.isEmpty()) parts_->prompt.setUnattended(true);
    parts_->frame = std::make_unique<MainFrame>();
    parts_->prompt.setParent(parts_->frame.get());
    parts_->dialogs.setParent(parts_->frame.get());
    // An installed program keeps its home in the user's data folder: the first start lays
    // it out, so that the first-run path can write LOGIN.KEY there. A home named by --home
    // or LOOMCRAFT_HOME is used as found.
    if (parts_->start.origin() == ProgramDirectory::Origin::UserData) parts_->start.layOutFolders();
    parts_->start.loadConversions();
    parts_->document =
        std::make_unique<ProgramDocument>(parts_->context, parts_->ui, *parts_->frame);
}

Program::~Program() {
    // The document goes first: it may still tell the frame, and its worker may still ask.
    parts_->document.reset();
    parts_->frame.reset();
}

AppContext& Program::context() {
    return parts_->context;
}
QtPrompt& Program::prompt() {
    return parts_->prompt;
}
MainFrame& Program::frame() {
    return *parts_->frame;
}
ProgramDocument& Program::document() {
    return *parts_->document;
}

bool Program::login() {
    if (options_.login.isEmpty()) return LoginDialog::login(parts_->context, nullptr);
    // Unattended: as the dialog would, with the password from the environment.
    LoginController controller(parts_->context);
    const char* password = std::getenv("LOOMCRAFT_PASSWORD");
    return controller.open() && password != nullptr &&
           controller.ok(fromQt(options_.login), fromQt(QString::fromLocal8Bit(password)));
}

void Program::start() {
    parts_->document->core().NewDocument();
    if (!options_.file.isEmpty() && parts_->document->openFile(pathFromQt(options_.file)) &&
        options_.page >= 0)
        parts_->document->selectPage(options_.page);
    parts_->frame->show();
    parts_->frame->updateCommands();
}

std::optional<int> parseProgramOptions(ProgramOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Harvik Loomcraft"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Programkatalogen (annars LOOMCRAFT_HOME)."),
                                  QStringLiteral("KATALOG"));
    const QCommandLineOption login(
        QStringLiteral("login"),
        QStringLiteral("Logga in som NAMN med lösenordet i LOOMCRAFT_PASSWORD, utan dialog."),
        QStringLiteral("NAMN"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Spara en bild av fönstret i FIL och avsluta (kräver --login)."),
        QStringLiteral("FIL"));
    const QCommandLineOption page(QStringLiteral("page"),
                                  QStringLiteral("Visa sidan N (från 0) i systemet som öppnas."),
                                  QStringLiteral("N"));
    parser.addOptions({home, login, screenshot, page});
    parser.addPositionalArgument(QStringLiteral("FIL.KQD"), QStringLiteral("System att öppna."));
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "fel: " << parser.errorText().toStdString() << '\n';
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    options.home = parser.value(home);
    options.login = parser.value(login);
    options.screenshot = parser.value(screenshot);
    if (parser.isSet(page)) {
        bool number = false;
        options.page = parser.value(page).toInt(&number);
        if (!number || options.page < 0) {
            std::cerr << "fel: --page behöver ett sidnummer från 0\n";
            return 2;
        }
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::cerr << "fel: högst ett system kan öppnas\n";
        return 2;
    }
    // Absolute, so that a file named from FILES is known as the archive's own.
    if (!files.isEmpty()) options.file = QFileInfo(files.front()).absoluteFilePath();
    if (!options.screenshot.isEmpty() && options.login.isEmpty()) {
        std::cerr << "fel: --screenshot behöver --login\n";
        return 2;
    }
    return std::nullopt;
}

int runProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Loomcraft"));
    QApplication::setOrganizationName(QStringLiteral("Harvik"));
    QApplication::setApplicationVersion(QStringLiteral(LOOM_VERSION));
    // The installed desktop entry: the desktop shows its name and icon for the window.
    QApplication::setDesktopFileName(QStringLiteral("loomcraft"));
    // Qt's own dialogs (printing, page set-up, fonts, the folder chooser) speak Swedish
    // where Qt's translations are installed.
    auto* qtTexts = new QTranslator(&application);
    if (qtTexts->load(QLocale(QLocale::Swedish, QLocale::Sweden), QStringLiteral("qt"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    ProgramOptions options;
    if (const std::optional<int> code = parseProgramOptions(options)) return *code;
    if (qEnvironmentVariableIntValue("LOOMCRAFT_EXIT_AFTER_SHOWN") == 1)
        application.installEventFilter(new FirstWindowReport(&application));
    Program program(options);
    // Anything but a login ends the program at once, with nothing saved.
    if (!program.login()) return 0;
    program.start();
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(300, [&] {
            const bool saved = program.frame().grab().save(options.screenshot);
            if (!saved) std::cerr << "fel: bilden kan inte sparas\n";
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}

}  // namespace loom
