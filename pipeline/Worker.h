#pragma once

// One background thread that runs tasks one at a time: the only thread the core starts. What
// runs on it, and the rules for the data it shares with the thread that posts, are the
// pipeline's (pipeline/Pipeline.h).
//
// Tasks run in the order they were posted, but that a task posted with postFirst() runs
// before every task posted with post() that has not started yet: what the main thread is
// about to wait for (the next input's bytes) need not wait behind what nobody waits for yet
// (records written ahead).
//
// Everything the posting thread did before post() is seen by the task; everything a task did
// is seen by a thread that wait() returned to. Where no thread can be had, every task runs at
// once, inside post(): slower, never different.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace tramelo {

class Worker {
public:
    Worker();
    // The task running, if any, ends; those not started are dropped.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void post(std::function<void()> task);
    void postFirst(std::function<void()> task);
    // Returns once every task posted so far has run; rethrows the first exception one of them
    // threw since the last wait().
    void wait();

private:
    void work();
    void enqueue(std::deque<std::function<void()>>& queue, std::function<void()> task);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> first_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false;  // a task taken from tasks_ has not returned yet
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;  // last, so that it starts once everything else is there
};

}  // namespace tramelo
