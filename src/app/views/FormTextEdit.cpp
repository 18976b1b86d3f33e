#include "views/FormTextEdit.h"

#include <algorithm>

#include <QTextCursor>

namespace loom {

FormTextEdit::FormTextEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                           QWidget* parent)
    : EditFieldWidget(view, control, interaction, parent) {
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

}  // namespace loom
