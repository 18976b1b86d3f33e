#include "views/FormTextEdit.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextCursor>

namespace loom {

FormTextEdit::FormTextEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                           QWidget* parent)
    : QPlainTextEdit(parent), keys_(view, control, interaction, *this) {
    setAcceptDrops(false);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Several lines never scroll sideways: they wrap.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

int FormTextEdit::selectionAnchor() const {
    return textCursor().selectionStart();
}

int FormTextEdit::selectionEnd() const {
    return textCursor().selectionEnd();
}

void FormTextEdit::showText(const QString& text, int caret) {
    setPlainText(text);
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(caret, 0, static_cast<int>(text.size())));
    setTextCursor(cursor);
}

bool FormTextEdit::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (keys_.leaveToFrame(key)) {
            key->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

void FormTextEdit::keyPressEvent(QKeyEvent* event) {
    switch (keys_.key(event)) {
        case EditFieldKeys::Outcome::Handled:
            return;
        case EditFieldKeys::Outcome::Erase:
        case EditFieldKeys::Outcome::Pass: {
            // Whatever the widget's own keys remove (Backspace, Delete, the platform's
            // line-deleting keys) is reported afterwards.
            const QString before = toPlainText();
            QPlainTextEdit::keyPressEvent(event);
            keys_.erased(before);
            return;
        }
    }
}

void FormTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (keys_.inputMethod(event)) {
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void FormTextEdit::contextMenuEvent(QContextMenuEvent* event) {
    keys_.contextMenu(event, this);
}

void FormTextEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) return;
    QPlainTextEdit::mouseReleaseEvent(event);
}

}  // namespace loom
