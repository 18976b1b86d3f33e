#pragma once

#include <QComboBox>

namespace loom {

// A choice list of a form: a drop-down list that leaves PgUp and PgDn to the frame's page
// commands instead of moving its selection.
class FormComboBox final : public QComboBox {
  public:
    using QComboBox::QComboBox;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace loom
