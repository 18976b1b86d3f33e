#include "document/FormPrinting.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <memory>

#include "FormPrinter.h"
#include "context/AppContext.h"
#include "dialogs/PrintPagesDialog.h"
#include "document/FormPrintJob.h"
#include "document/PromDocument.h"
#include "platform/Settings.h"
#include "views/DialogBaseUnits.h"

namespace loom {

FormPrinting::FormPrinting(PromDocument& document, AppContext& context, const QFont& screenFont,
                           QWidget* parent, QPrinter* printer)
    : document_(document),
      context_(context),
      screenFont_(screenFont),
      parent_(parent),
      printer_(printer) {}

void FormPrinting::setUpPrinter(QPrinter& printer, QWidget* parent) {
    QPageSetupDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Välj skrivare"));
    dialog.exec();
}

bool FormPrinting::printable() const {
    return document_.form() != nullptr && document_.CommActive() != PromDocument::kReading;
}

std::optional<std::pair<int, int>> FormPrinting::chooseRange() {
    PrintPagesDialog dialog(parent_);
    if (dialog.exec() != QDialog::Accepted || !printable()) return std::nullopt;
    if (!dialog.currentPageOnly()) return std::pair{0, document_.pageCount()};
    const int page = document_.currentPage();
    if (page < 0) return std::nullopt;
    return std::pair{page, page + 1};
}

FormPrintLayout::Input FormPrinting::job(int first, int end) const {
    const Form& form = *document_.form();
    return formPrintJob(form, document_.path(), context_.clock(), context_.files(),
                        dialogUnitsOf(screenFont_), first, end);
}

int FormPrinting::printOn(QPrinter& printer, int first, int end) const {
    if (document_.form() == nullptr) return -1;
    printer.setDocName(QString::fromLatin1(FormPrinter::kDocumentName));
    return FormPrinter::print(printer, job(first, end));
}

void FormPrinting::print() {
    if (!printable()) return;
    const std::optional<std::pair<int, int>> range = chooseRange();
    if (!range) return;
    int first = range->first, end = range->second;
    std::unique_ptr<QPrinter> own;
    if (printer_ == nullptr) own = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = printer_ != nullptr ? *printer_ : *own;
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(first + 1, end);
    QPrintDialog dialog(&printer, parent_);
    dialog.setMinMax(1, document_.pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintToFile);
    if (dialog.exec() != QDialog::Accepted || !printable()) return;
    if (printer.printRange() == QPrinter::AllPages) {
        first = 0;
        end = document_.pageCount();
    } else if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        end = printer.toPage();
    }
    printOn(printer, first, end);
}

void FormPrinting::preview() {
    if (!printable()) return;
    const std::optional<std::pair<int, int>> range = chooseRange();
    if (!range) return;
    const int first = range->first, end = range->second;
    std::unique_ptr<QPrinter> own;
    if (printer_ == nullptr) own = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = printer_ != nullptr ? *printer_ : *own;
    QPrintPreviewDialog dialog(&printer, parent_);
    dialog.setWindowTitle(QStringLiteral("Förhandsgranska"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, first, end](QPrinter* device) { printOn(*device, first, end); });
    // One or two pages side by side as the user last left it; 0 leaves the preview's own.
    Settings settings(context_.settings());
    const int stored = settings.integer(setting::kPreviewPages);
    auto* widget = dialog.findChild<QPrintPreviewWidget*>();
    if (widget != nullptr && stored == 1) widget->setSinglePageViewMode();
    if (widget != nullptr && stored == 2) widget->setFacingPagesViewMode();
    dialog.exec();
    if (widget == nullptr) return;
    const int shown = widget->viewMode() == QPrintPreviewWidget::SinglePageView    ? 1
                      : widget->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2
                                                                                   : stored;
    if (shown != stored && (stored != 0 || shown != 1))
        settings.setInteger(setting::kPreviewPages, shown);
}

}  // namespace loom
