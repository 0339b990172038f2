#include "pipeline/Worker.h"

#include <system_error>
#include <utility>

namespace tramelo {

Worker::Worker() {
    try {
        thread_ = std::thread(&Worker::work, this);
    } catch (const std::system_error&) {
        // No thread to be had: post() runs each task itself.
    }
}

Worker::~Worker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        first_.clear();
        tasks_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Worker::post(std::function<void()> task) {
    enqueue(tasks_, std::move(task));
}

void Worker::postFirst(std::function<void()> task) {
    enqueue(first_, std::move(task));
}

void Worker::enqueue(std::deque<std::function<void()>>& queue, std::function<void()> task) {
    if (!thread_.joinable()) {
        try {
            task();
        } catch (...) {
            if (!failure_) {
                failure_ = std::current_exception();
            }
        }
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        queue.push_back(std::move(task));
    }
    changed_.notify_all();
}

void Worker::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return first_.empty() && tasks_.empty() && !running_; });
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

void Worker::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !first_.empty() || !tasks_.empty(); });
        if (stopping_) {
            return;
        }
        std::deque<std::function<void()>>& queue = first_.empty() ? tasks_ : first_;
        std::function<void()> task = std::move(queue.front());
        queue.pop_front();
        running_ = true;
        lock.unlock();
        try {
            task();
        } catch (...) {
            lock.lock();
            if (!failure_) {
                failure_ = std::current_exception();
            }
            lock.unlock();
        }
        task = nullptr;  // what the task held goes here, on this thread, before wait() returns
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace tramelo
