#pragma once

#include <QLineEdit>

#include "views/EditFieldKeys.h"

namespace loom {

// A one-line edit field of a form: every change of its text goes through the form's
// interaction first (EditFieldKeys).
class FormLineEdit final : public QLineEdit, private EditFieldAccess {
  public:
    FormLineEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                 QWidget* parent);

    EditFieldKeys& keys() { return keys_; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString shownText() const override { return text(); }
    int selectionAnchor() const override;
    int selectionEnd() const override;
    void showText(const QString& text, int caret) override;
    void selectAllText() override { selectAll(); }

    EditFieldKeys keys_;
};

}  // namespace loom
