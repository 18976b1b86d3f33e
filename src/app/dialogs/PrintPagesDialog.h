#pragma once

#include <QDialog>

class QRadioButton;

namespace loom {

// "Skriv ut": whether the form printout takes every page or the page shown. The page
// shown is chosen when it opens.
class PrintPagesDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit PrintPagesDialog(QWidget* parent = nullptr);

    bool currentPageOnly() const;
    void setCurrentPageOnly(bool on);

  private:
    QRadioButton* all_;
    QRadioButton* current_;
};

}  // namespace loom
