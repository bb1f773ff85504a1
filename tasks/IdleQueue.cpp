#include "tasks/IdleQueue.h"

#include "tasks/Semaphore.h"

#include <utility>

namespace Tavrolin::Fill {

namespace {

// Holds the queue's lock for a scope, so every way out releases it.
class Locked {
public:
    explicit Locked(Semaphore& semaphore) : mSemaphore(semaphore) { mSemaphore.wait(); }
    ~Locked() { mSemaphore.signal(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Semaphore& mSemaphore;
};

} // namespace

IdleQueue::IdleQueue() : mSemaphore(new Semaphore(1)) {}

IdleQueue::~IdleQueue() { delete mSemaphore; }

void IdleQueue::async(const std::function<void()>& task) {
    Locked lock(*mSemaphore);
    mQueue.push_back(task);
}

bool IdleQueue::hasTask() {
    Locked lock(*mSemaphore);
    return !mQueue.empty();
}

void IdleQueue::updateQueue() {
    {
        Locked lock(*mSemaphore);
        if (mQueue.empty()) {
            return;
        }
    }
    std::function<void()> task;
    {
        // Checked again: another consumer may have taken the task in between.
        Locked lock(*mSemaphore);
        if (mQueue.empty()) {
            return;
        }
        task = std::move(mQueue.front());
        mQueue.pop_front();
    }
    // Run unlocked, so the task may queue further tasks.
    task();
}

void IdleQueue::clearAsyncQueue() {
    std::deque<std::function<void()>> dropped;
    {
        Locked lock(*mSemaphore);
        dropped.swap(mQueue);
    }
    // Destroyed here, outside the lock, in queue order.
    while (!dropped.empty()) {
        dropped.pop_front();
    }
}

} // namespace Tavrolin::Fill
