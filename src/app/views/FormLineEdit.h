#pragma once

#include <QLineEdit>

#include "views/EditFieldWidget.h"

namespace loom {

// A one-line edit field of a form: every change of its text goes through the form's
// interaction first (EditFieldKeys).
class FormLineEdit final : public EditFieldWidget<QLineEdit> {
  public:
    FormLineEdit(FormPageView& view, FormControl& control, FormInteraction& interaction,
                 QWidget* parent);

  private:
    QString shownText() const override { return text(); }
    int selectionAnchor() const override;
    int selectionEnd() const override;
    void showText(const QString& text, int caret) override;
    void selectAllText() override { selectAll(); }
};

}  // namespace loom
