#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace Tavrolin::Fill {

// Counting semaphore: wait takes one count (blocking until there is one), signal
// gives one back, signalAll wakes every thread waiting at that moment.
class Semaphore {
public:
    explicit Semaphore(unsigned int value);
    virtual ~Semaphore();
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    void wait();
    void signal();
    void signal(unsigned int n);
    void signalAll();
    // Threads inside wait that have started waiting.
    int64_t waiters() const { return mWaiters.load(); }

private:
    std::mutex mMutex;
    std::condition_variable mCondition;
    uint64_t mCount;
    // Bumped by signalAll: a waiter that saw an older value is released without a count.
    uint64_t mGeneration = 0;
    // Threads currently inside wait.
    std::atomic<int64_t> mWaiters{0};
};

} // namespace Tavrolin::Fill
