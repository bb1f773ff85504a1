#include "tasks/Semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace Tavrolin::Fill {
namespace {

using namespace std::chrono_literals;

// Generous bound for something that should happen at once; a hang fails instead of
// stalling the run.
constexpr auto kBound = 10s;

// Starts a thread that waits once on s and reports when it got through.
std::shared_future<void> waitInThread(Semaphore& s) {
    auto done = std::make_shared<std::promise<void>>();
    std::shared_future<void> f = done->get_future().share();
    std::thread([&s, done] {
        s.wait();
        done->set_value();
    }).detach();
    return f;
}

bool waitersReach(const Semaphore& s, int64_t n) {
    const auto end = std::chrono::steady_clock::now() + kBound;
    while (s.waiters() < n) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

TEST(Semaphore, CountZeroBlocksUntilAnotherThreadSignals) {
    Semaphore s(0);
    auto through = waitInThread(s);
    ASSERT_TRUE(waitersReach(s, 1));
    EXPECT_EQ(through.wait_for(50ms), std::future_status::timeout);
    s.signal();
    EXPECT_EQ(through.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(s.waiters(), 0);
}

TEST(Semaphore, InitialCountLetsThatManyWaitsThrough) {
    Semaphore s(2);
    s.wait();
    s.wait();
    auto third = waitInThread(s);
    ASSERT_TRUE(waitersReach(s, 1));
    s.signal();
    EXPECT_EQ(third.wait_for(kBound), std::future_status::ready);
}

TEST(Semaphore, SignalNLetsNWaitsThrough) {
    Semaphore s(0);
    s.signal(0); // changes nothing
    s.signal(3);
    std::vector<std::shared_future<void>> three;
    for (int i = 0; i < 3; ++i) {
        three.push_back(waitInThread(s));
    }
    for (auto& f : three) {
        EXPECT_EQ(f.wait_for(kBound), std::future_status::ready);
    }
    auto fourth = waitInThread(s);
    ASSERT_TRUE(waitersReach(s, 1));
    EXPECT_EQ(fourth.wait_for(50ms), std::future_status::timeout);
    s.signal();
    EXPECT_EQ(fourth.wait_for(kBound), std::future_status::ready);
}

TEST(Semaphore, SignalZeroAddsNoCount) {
    Semaphore s(0);
    s.signal(0);
    auto waiter = waitInThread(s);
    ASSERT_TRUE(waitersReach(s, 1));
    EXPECT_EQ(waiter.wait_for(50ms), std::future_status::timeout);
    s.signal();
    EXPECT_EQ(waiter.wait_for(kBound), std::future_status::ready);
}

TEST(Semaphore, SignalAllWakesEveryCurrentWaiterAndLeavesNoCount) {
    Semaphore s(0);
    std::vector<std::shared_future<void>> waiting;
    for (int i = 0; i < 3; ++i) {
        waiting.push_back(waitInThread(s));
    }
    ASSERT_TRUE(waitersReach(s, 3));
    s.signalAll();
    for (auto& f : waiting) {
        EXPECT_EQ(f.wait_for(kBound), std::future_status::ready);
    }
    // Nobody was waiting for a count: a later wait blocks.
    auto later = waitInThread(s);
    ASSERT_TRUE(waitersReach(s, 1));
    EXPECT_EQ(later.wait_for(50ms), std::future_status::timeout);
    s.signal();
    EXPECT_EQ(later.wait_for(kBound), std::future_status::ready);
}

TEST(Semaphore, SignalAllWithoutWaitersChangesNothing) {
    Semaphore s(1);
    s.signalAll();
    s.wait(); // the one count is still there
    auto blocked = waitInThread(s);
    ASSERT_TRUE(waitersReach(s, 1));
    EXPECT_EQ(blocked.wait_for(50ms), std::future_status::timeout);
    s.signal();
    EXPECT_EQ(blocked.wait_for(kBound), std::future_status::ready);
}

} // namespace
} // namespace Tavrolin::Fill
