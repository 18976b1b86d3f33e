#include "views/FormLineEdit.h"

#include "template/FormControl.h"

namespace loom {

FormLineEdit::FormLineEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                           QWidget* parent)
    : EditFieldWidget(view, control, interaction, parent) {
    if (control.masked) setEchoMode(QLineEdit::Password);
}

int FormLineEdit::selectionAnchor() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int FormLineEdit::selectionEnd() const {
    return hasSelectedText() ? selectionStart() + static_cast<int>(selectedText().size())
                             : cursorPosition();
}

void FormLineEdit::showText(const QString& text, int caret) {
    setText(text);
    setCursorPosition(caret);
}

}  // namespace loom
