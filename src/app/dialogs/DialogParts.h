#pragma once

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

class QDialog;

namespace loom {

// Small pieces every dialog of the program builds itself from, so that they look and
// behave alike: OK and "Avbryt" with OK as the default button, masked password edits with
// their label as buddy and accessible name.
namespace dialogparts {

// OK (default, Enter) and "Avbryt" (Escape, rejects); the caller connects accepted().
QDialogButtonBox* okCancel(QDialog* dialog);
// An edit named for the screen reader after its label (without the mnemonic's &), and
// the label's buddy.
QLineEdit* edit(QLabel* label, QWidget* parent, bool password);
// A text that wraps within a width proportional to the font.
QLabel* wrappedText(const QString& text, QWidget* parent, int averageCharacters = 48);
// A label's text without its mnemonic marker and trailing colon.
QString plainCaption(const QString& caption);
// A push button named for the screen reader after its caption, which Enter in another
// control does not press.
QPushButton* button(const QString& caption, QWidget* parent);

// The wait cursor for the life of the object, restored however the scope is left.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace dialogparts
}  // namespace loom
