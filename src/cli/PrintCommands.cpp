#include <QByteArray>
#include <QGuiApplication>

#include <memory>
#include <optional>
#include <string>

#include "ArgumentNames.h"
#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "FormLoading.h"
#include "FormPrinter.h"
#include "common/Cp1252.h"
#include "datafile/DataFile.h"
#include "document/FormPrintJob.h"
#include "platform/FileSystem.h"

namespace loom::cli {
namespace {

constexpr const char* kPrintFooter =
    R"(Prints the system's form pages as the program prints them (the framed file information
first, the pages drawn to scale and packed several to an A4 sheet) into a PDF file. No
printer and no display are needed. The file is written whole or not at all.
Output: one line, "skrev N sidor på M ark: OUT".
Exit codes: 0 written, 1 refused (unreadable file, no template, a page the template lacks,
the PDF not written), 2 usage.)";

struct PrintOptions {
    std::string file;
    std::string pdf;
    int page = 0;  // from 1; 0 for every page
};

// The fonts and the PDF writer need a GUI application; the CLI has none of its own, so it
// makes one that draws off screen unless the caller chose a platform.
class GuiForPrinting {
  public:
    GuiForPrinting() {
        if (QCoreApplication::instance() != nullptr) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    bool usable() const { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()); }

  private:
    int argc_ = 1;
    char name_[14] = "loomcraft-cli";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

void printSystem(CliContext& ctx, const PrintOptions& o) {
    CliSession session(ctx);
    AppContext& app = session.app();
    const std::optional<std::filesystem::path> file = findDataFile(app, o.file);
    if (!file) {
        refuse(ctx, "ingen datafil \"" + escapeControls(o.file) + "\"");
        return;
    }
    DataFile data(app);
    if (!data.Read(*file, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    const std::unique_ptr<LoadedForm> loaded = loadTemplateFor(ctx, app, {}, data.templateName());
    if (!loaded) return;
    Form& form = *loaded->form;
    if (o.page > form.pageCount()) {
        refuse(ctx, "mallen har " + std::to_string(form.pageCount()) + " sidor, ingen sida " +
                        std::to_string(o.page));
        return;
    }
    form.setAllPages(data.Store());
    const int first = o.page > 0 ? o.page - 1 : 0;
    const int end = o.page > 0 ? o.page : form.pageCount();
    // The CLI lays templates out in base units of 8 x 16 pixels: the screen it measures by.
    const FormPrintLayout::Input job =
        formPrintJob(form, *file, app.clock(), app.files(), DialogUnits{}, first, end);

    GuiForPrinting gui;
    if (!gui.usable()) {
        refuse(ctx, "utskriften kräver ett Qt-program med grafik");
        return;
    }
    int sheets = 0;
    const QByteArray pdf = FormPrinter::pdf(job, &sheets);
    std::string error;
    const std::filesystem::path out = CliSession::argumentPath(o.pdf);
    if (pdf.isEmpty() ||
        !app.files().writeWhole(out, std::string_view(pdf.constData(), pdf.size()), error)) {
        refuse(ctx, "kan inte skriva " + o.pdf + (error.empty() ? "" : ": " + cp1252ToUtf8(error)));
        return;
    }
    ctx.out << "skrev " << (end - first) << " sidor på " << sheets << " ark: " << o.pdf << '\n';
}

}  // namespace

void registerPrintCommands(CLI::App& app, CliContext& ctx) {
    auto options = std::make_shared<PrintOptions>();
    CLI::App* print = app.add_subcommand("print", "Print a system's form pages into a PDF file");
    print->footer(kPrintFooter);
    print->add_option("file", options->file, kDataFileHelp)->required();
    print->add_option("--pdf", options->pdf, "The PDF file to write (replaced when it exists)")
        ->required();
    print->add_option("--page", options->page, "Only this page of the template, counted from 1")
        ->check(CLI::Range(1, 99999));
    print->callback([&ctx, options] { printSystem(ctx, *options); });
}

}  // namespace loom::cli
