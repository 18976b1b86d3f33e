#include "support/ModalScript.h"

#include <QApplication>
#include <QTimer>

namespace loom::test {

void ModalScript::run(const std::function<void()>& command) {
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (done < steps_.size() && steps_[done](modal)) {
            ++done;
            return;
        }
        ++closed;
        modal->close();
    });
    timer.start(5);
    command();
}

}  // namespace loom::test
