#include "tasks/IdleQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace Tavrolin::Fill {
namespace {

using namespace std::chrono_literals;

constexpr auto kBound = 10s;

// Runs fn on another thread and reports whether it finished within the bound, so a
// lock left held fails the test instead of hanging it.
bool finishesInTime(std::function<void()> fn) {
    auto done = std::make_shared<std::promise<void>>();
    auto f = done->get_future();
    std::thread([fn = std::move(fn), done] {
        fn();
        done->set_value();
    }).detach();
    return f.wait_for(kBound) == std::future_status::ready;
}

TEST(IdleQueue, RunsOneTaskPerCallInQueueOrder) {
    IdleQueue q;
    EXPECT_FALSE(q.hasTask());
    std::string ran;
    q.async([&] { ran += "A"; });
    EXPECT_TRUE(q.hasTask());
    q.async([&] { ran += "B"; });
    q.async([&] { ran += "C"; });
    q.updateQueue();
    EXPECT_EQ(ran, "A");
    q.updateQueue();
    EXPECT_EQ(ran, "AB");
    q.updateQueue();
    EXPECT_EQ(ran, "ABC");
    EXPECT_FALSE(q.hasTask());
    q.updateQueue(); // nothing left: nothing happens
    EXPECT_EQ(ran, "ABC");
}

TEST(IdleQueue, QueuesACopyOfTheTask) {
    IdleQueue q;
    int value = 0;
    std::function<void()> task = [&] { value = 1; };
    q.async(task);
    task = [&] { value = 2; };
    q.updateQueue();
    EXPECT_EQ(value, 1);
}

TEST(IdleQueue, TaskMayUseTheQueueFromInside) {
    IdleQueue q;
    std::string ran;
    bool sawTask = true;
    q.async([&] {
        ran += "outer";
        q.async([&] { ran += "+inner"; });
        sawTask = q.hasTask();
        q.updateQueue(); // runs the inner task now: the lock is not held
    });
    q.async([&] { ran += "+last"; });
    ASSERT_TRUE(finishesInTime([&] { q.updateQueue(); }));
    // Inside, "last" was older than "inner", so the nested call ran it first.
    EXPECT_EQ(ran, "outer+last");
    EXPECT_TRUE(sawTask);
    q.updateQueue();
    EXPECT_EQ(ran, "outer+last+inner");
}

TEST(IdleQueue, TaskQueuedFromInsideRunsOnTheNextCall) {
    IdleQueue q;
    int inner = 0;
    q.async([&] { q.async([&] { ++inner; }); });
    ASSERT_TRUE(finishesInTime([&] { q.updateQueue(); }));
    EXPECT_EQ(inner, 0);
    EXPECT_TRUE(q.hasTask());
    q.updateQueue();
    EXPECT_EQ(inner, 1);
}

TEST(IdleQueue, ClearDropsTasksWithoutRunningThem) {
    IdleQueue q;
    int ran = 0;
    auto token = std::make_shared<int>(0);
    q.async([&ran, token] { ++ran; });
    q.async([&ran] { ++ran; });
    EXPECT_EQ(token.use_count(), 2);
    q.clearAsyncQueue();
    EXPECT_FALSE(q.hasTask());
    EXPECT_EQ(token.use_count(), 1); // the dropped copy is destroyed
    q.updateQueue();
    EXPECT_EQ(ran, 0);
    q.async([&ran] { ++ran; });
    q.updateQueue();
    EXPECT_EQ(ran, 1);
}

TEST(IdleQueue, DestructionDropsWaitingTasks) {
    int ran = 0;
    auto token = std::make_shared<int>(0);
    {
        IdleQueue q;
        q.async([&ran, token] { ++ran; });
    }
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(token.use_count(), 1);
}

TEST(IdleQueue, ThrowingTaskLeavesQueueAndLockInOrder) {
    IdleQueue q;
    auto token = std::make_shared<int>(0);
    q.async([token] { throw std::runtime_error("task failed"); });
    q.async(std::function<void()>()); // empty task
    int ran = 0;
    q.async([&] { ++ran; });
    EXPECT_THROW(q.updateQueue(), std::runtime_error);
    EXPECT_EQ(token.use_count(), 1); // the local copy was destroyed on the way out
    EXPECT_THROW(q.updateQueue(), std::bad_function_call);
    // The lock is free: queue and run from another thread as well.
    ASSERT_TRUE(finishesInTime([&] {
        EXPECT_TRUE(q.hasTask());
        q.async([&] { ++ran; });
    }));
    q.updateQueue();
    q.updateQueue();
    EXPECT_EQ(ran, 2);
    EXPECT_FALSE(q.hasTask());
}

TEST(IdleQueue, ProducerThreadsLoseNoTask) {
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 250;
    IdleQueue q;
    // Tasks run on this (the consumer's) thread, so the record needs no lock.
    std::vector<std::vector<int>> seen(kProducers);
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&q, &seen, p] {
            for (int i = 0; i < kPerProducer; ++i) {
                q.async([&seen, p, i] { seen[p].push_back(i); });
            }
        });
    }
    int ran = 0;
    const auto end = std::chrono::steady_clock::now() + kBound;
    while (ran < kProducers * kPerProducer && std::chrono::steady_clock::now() < end) {
        if (q.hasTask()) {
            q.updateQueue();
            ++ran;
        } else {
            std::this_thread::yield();
        }
    }
    for (auto& t : producers) {
        t.join();
    }
    EXPECT_FALSE(q.hasTask());
    for (int p = 0; p < kProducers; ++p) {
        ASSERT_EQ(seen[p].size(), static_cast<size_t>(kPerProducer)) << "producer " << p;
        for (int i = 0; i < kPerProducer; ++i) {
            EXPECT_EQ(seen[p][i], i) << "producer " << p; // each producer's order kept
        }
    }
}

TEST(IdleQueue, SeveralConsumersShareOneQueue) {
    constexpr int kTasks = 2000;
    IdleQueue q;
    std::vector<std::atomic<int>> runs(kTasks);
    for (int i = 0; i < kTasks; ++i) {
        q.async([&runs, i] { ++runs[i]; });
    }
    std::atomic<int> total{0};
    // More consumers than tasks left at the end: several find the queue emptied
    // between its size check and taking the front.
    std::vector<std::thread> consumers;
    for (int c = 0; c < 4; ++c) {
        consumers.emplace_back([&] {
            while (q.hasTask()) {
                q.updateQueue();
            }
            total += 1;
        });
    }
    for (auto& t : consumers) {
        t.join();
    }
    EXPECT_EQ(total.load(), 4);
    for (int i = 0; i < kTasks; ++i) {
        ASSERT_EQ(runs[i].load(), 1) << "task " << i;
    }
}

} // namespace
} // namespace Tavrolin::Fill
