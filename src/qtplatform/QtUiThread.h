#pragma once

#include <QObject>

#include "transfer/UiThread.h"

namespace loom {

// The user's thread of a Qt program: posted work runs from the event loop, queued, in
// order; the thread that creates it is the user's thread.
class QtUiThread final : public UiThread {
  public:
    QtUiThread();
    ~QtUiThread() override;
    QtUiThread(const QtUiThread&) = delete;
    QtUiThread& operator=(const QtUiThread&) = delete;

    void post(std::function<void()> task) override;
    bool isCurrent() const override;
    void runPending() override;

  private:
    QObject* receiver_;  // lives on the user's thread; posted work runs in its context
};

}  // namespace loom
