#include "views/FormLineEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "template/FormControl.h"

namespace loom {

FormLineEdit::FormLineEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                           QWidget* parent)
    : QLineEdit(parent), keys_(view, control, interaction, *this) {
    setAcceptDrops(false);
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

bool FormLineEdit::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (keys_.leaveToFrame(key)) {
            key->ignore();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void FormLineEdit::keyPressEvent(QKeyEvent* event) {
    switch (keys_.key(event)) {
        case EditFieldKeys::Outcome::Handled:
            return;
        case EditFieldKeys::Outcome::Erase:
        case EditFieldKeys::Outcome::Pass: {
            // Whatever the widget's own keys remove (Backspace, Delete, the platform's
            // line-deleting keys) is reported afterwards.
            const QString before = text();
            QLineEdit::keyPressEvent(event);
            keys_.erased(before);
            return;
        }
    }
}

void FormLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (keys_.inputMethod(event)) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void FormLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    keys_.contextMenu(event, this);
}

void FormLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button would paste the X selection past every check.
    if (event->button() == Qt::MiddleButton) return;
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace loom
