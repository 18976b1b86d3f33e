#pragma once

#include <QPlainTextEdit>

#include "views/EditFieldWidget.h"

namespace loom {

// An edit field of several lines; it types as FormLineEdit does and breaks lines with
// Enter. Tab moves to the next field.
class FormTextEdit final : public EditFieldWidget<QPlainTextEdit> {
  public:
    FormTextEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                 QWidget* parent);

  protected:
    bool canInsertFromMimeData(const QMimeData*) const override { return false; }

  private:
    QString shownText() const override { return toPlainText(); }
    int selectionAnchor() const override;
    int selectionEnd() const override;
    void showText(const QString& text, int caret) override;
    void selectAllText() override { selectAll(); }
};

}  // namespace loom
