#include "transfer/UiThread.h"

namespace loom {

void TaskQueue::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

int TaskQueue::runFor(std::chrono::milliseconds timeout) {
    std::deque<std::function<void()>> batch;
    {
        std::unique_lock lock(mutex_);
        if (tasks_.empty()) wake_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
        batch.swap(tasks_);
    }
    int ran = 0;
    for (auto& task : batch) {
        task();
        ++ran;
    }
    return ran;
}

void TaskQueue::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !tasks_.empty(); });
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

}  // namespace loom
