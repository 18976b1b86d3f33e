#pragma once

#include <QDialog>
#include <array>
#include <string>

class QLineEdit;

namespace loom {

// Dialog 190 "Temporära lösenord": up to three system passwords under which a file may
// have been saved. The caller adds the typed texts to the list of this run.
class TemporaryPasswordsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TemporaryPasswordsDialog(QWidget* parent = nullptr);

    // The three texts as typed (code page 1252), in order.
    std::array<std::string, 3> texts() const;

  private:
    std::array<QLineEdit*, 3> edits_{};
};

}  // namespace loom
