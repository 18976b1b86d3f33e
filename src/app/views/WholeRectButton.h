#pragma once

#include <QPoint>

namespace loom {

// A check box or option button of a form answers a click anywhere in its rectangle, as
// the template's layout expects, not only on its mark and text.
template <class Button>
class WholeRectButton final : public Button {
  public:
    using Button::Button;

  protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

}  // namespace loom
