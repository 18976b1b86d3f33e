#include "views/FormComboBox.h"

#include <QKeyEvent>

namespace loom {

void FormComboBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

}  // namespace loom
