#pragma once

#include <QFont>
#include <optional>
#include <utility>

#include "template/FormPrintLayout.h"

class QPrinter;
class QWidget;

namespace loom {

class AppContext;
class PromDocument;

// "Skriv ut..." and "Förhandsgranska" of the open system: dialog 199 chooses the page
// shown or every page, then the print dialog (which also prints into a PDF file) or the
// print preview takes that job; FormPrinter draws it.
class FormPrinting {
  public:
    // `screenFont` is the form view's font, which the form's pixels were laid out in.
    // `printer`, when given, is the program's own printer chosen with "Välj skrivare...";
    // the print dialog starts from it and keeps what the user changes there.
    FormPrinting(PromDocument& document, AppContext& context, const QFont& screenFont,
                 QWidget* parent, QPrinter* printer = nullptr);

    // "Välj skrivare...": the printer's page set-up (paper, orientation, margins).
    static void setUpPrinter(QPrinter& printer, QWidget* parent);

    void print();
    void preview();

    // Dialog 199: the pages first ... end - 1; nothing when cancelled or when the page
    // shown is wanted and there is none.
    std::optional<std::pair<int, int>> chooseRange();
    // The job of pages first ... end - 1 as the form shows them now.
    FormPrintLayout::Input job(int first, int end) const;
    // Prints the job on `printer` (a preview's too); the number of sheets, -1 on failure.
    int printOn(QPrinter& printer, int first, int end) const;

  private:
    bool printable() const;

    PromDocument& document_;
    AppContext& context_;
    QFont screenFont_;
    QWidget* parent_;
    QPrinter* printer_;
};

}  // namespace loom
