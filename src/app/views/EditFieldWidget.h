#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "views/EditFieldKeys.h"

namespace loom {

// What the one-line and the several-line edit field do alike over their Qt widget
// (`Base`): every key, input-method text, context menu and middle-button paste goes
// through the field's EditFieldKeys first. The widget supplies the EditFieldAccess.
template <class Base>
class EditFieldWidget : public Base, protected EditFieldAccess {
  public:
    EditFieldWidget(FormPageView& view, FormControl& control, FormInteraction& interaction,
                    QWidget* parent)
        : Base(parent), keys_(view, control, interaction, *this) {
        this->setAcceptDrops(false);
    }

    EditFieldKeys& keys() { return keys_; }

  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (keys_.leaveToFrame(key)) {
                key->ignore();
                return true;
            }
        }
        return Base::event(e);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (keys_.key(event) == EditFieldKeys::Outcome::Handled) return;
        // Whatever the widget's own keys remove (Backspace, Delete, the platform's
        // line-deleting keys) is reported afterwards.
        const QString before = shownText();
        Base::keyPressEvent(event);
        keys_.erased(before);
    }

    void inputMethodEvent(QInputMethodEvent* event) override {
        if (keys_.inputMethod(event)) {
            event->accept();
            return;
        }
        Base::inputMethodEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override { keys_.contextMenu(event, this); }

    void mouseReleaseEvent(QMouseEvent* event) override {
        // The middle button would paste the X selection past every check.
        if (event->button() == Qt::MiddleButton) return;
        Base::mouseReleaseEvent(event);
    }

  private:
    EditFieldKeys keys_;
};

}  // namespace loom
