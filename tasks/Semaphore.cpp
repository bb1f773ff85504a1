#include "tasks/Semaphore.h"

namespace Tavrolin::Fill {

Semaphore::Semaphore(unsigned int value) : mCount(value) {}

Semaphore::~Semaphore() = default;

void Semaphore::wait() {
    std::unique_lock<std::mutex> lock(mMutex);
    // Counted under the lock once the generation is read, so a signalAll that follows
    // an observed count is sure to release this waiter.
    const uint64_t generation = mGeneration;
    ++mWaiters;
    mCondition.wait(lock, [&] { return mCount > 0 || mGeneration != generation; });
    if (mGeneration == generation) {
        --mCount;
    }
    --mWaiters;
}

void Semaphore::signal() { signal(1); }

void Semaphore::signal(unsigned int n) {
    if (n == 0) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mCount += n;
    }
    if (n == 1) {
        mCondition.notify_one();
    } else {
        mCondition.notify_all();
    }
}

void Semaphore::signalAll() {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        ++mGeneration;
    }
    mCondition.notify_all();
}

} // namespace Tavrolin::Fill
