#pragma once

#include <deque>
#include <functional>

namespace Tavrolin::Fill {

class Semaphore;

// First-in-first-out queue of deferred tasks. Any thread may queue with async; a
// consumer calls updateQueue at idle time, and each call runs the oldest task on the
// consumer's thread, with the queue's lock not held.
class IdleQueue {
public:
    IdleQueue();
    // Drops waiting tasks without running them.
    virtual ~IdleQueue();
    IdleQueue(const IdleQueue&) = delete;
    IdleQueue& operator=(const IdleQueue&) = delete;

    void async(const std::function<void()>& task);
    bool hasTask();
    // Runs at most one task. An empty task raises std::bad_function_call, after it
    // has left the queue.
    void updateQueue();
    void clearAsyncQueue();

private:
    Semaphore* mSemaphore;
    std::deque<std::function<void()>> mQueue;
};

} // namespace Tavrolin::Fill
