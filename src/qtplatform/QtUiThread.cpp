#include "QtUiThread.h"

#include <QCoreApplication>
#include <QThread>

namespace loom {

QtUiThread::QtUiThread() : receiver_(new QObject) {}

QtUiThread::~QtUiThread() {
    delete receiver_;
}

void QtUiThread::post(std::function<void()> task) {
    QMetaObject::invokeMethod(receiver_, std::move(task), Qt::QueuedConnection);
}

bool QtUiThread::isCurrent() const {
    return QThread::currentThread() == receiver_->thread();
}

void QtUiThread::runPending() {
    QCoreApplication::sendPostedEvents(receiver_);
}

}  // namespace loom
