#pragma once

#include <QPlainTextEdit>

#include "views/EditFieldKeys.h"

namespace loom {

// An edit field of several lines; it types as FormLineEdit does and breaks lines with
// Enter. Tab moves to the next field.
class FormTextEdit final : public QPlainTextEdit, private EditFieldAccess {
  public:
    FormTextEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                 QWidget* parent);

    EditFieldKeys& keys() { return keys_; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool canInsertFromMimeData(const QMimeData*) const override { return false; }

  private:
    QString shownText() const override { return toPlainText(); }
    int selectionAnchor() const override;
    int selectionEnd() const override;
    void showText(const QString& text, int caret) override;
    void selectAllText() override { selectAll(); }

    EditFieldKeys keys_;
};

}  // namespace loom
