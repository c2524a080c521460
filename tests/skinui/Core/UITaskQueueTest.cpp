#include "Core/UITaskQueue.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

using namespace SkinUI;

TEST(UITaskQueue, KeepsEachThreadsOrderAcrossSeveralPushers)
{
    constexpr int kThreads = 4;
    constexpr int kTasksPerThread = 500;
    std::map<int, std::vector<int>> seen;
    std::vector<std::thread> pushers;
    for (int t = 0; t < kThreads; ++t) {
        pushers.emplace_back([t, &seen] {
            for (int i = 0; i < kTasksPerThread; ++i) UITaskQueue::Push([t, i, &seen] { seen[t].push_back(i); });
        });
    }
    int drained = 0;
    while (drained < kThreads * kTasksPerThread) {
        UITaskQueue::Drain();
        drained = 0;
        for (const auto& entry : seen) drained += static_cast<int>(entry.second.size());
    }
    for (auto& pusher : pushers) pusher.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(static_cast<size_t>(kTasksPerThread), seen[t].size());
        for (int i = 0; i < kTasksPerThread; ++i) ASSERT_EQ(i, seen[t][static_cast<size_t>(i)]);
    }
}

TEST(UITaskQueue, RunsFrontFirstAndLetsACallablePushAgain)
{
    std::vector<int> order;
    UITaskQueue::Push([&] {
        order.push_back(1);
        UITaskQueue::Push([&] { order.push_back(3); });
    });
    UITaskQueue::Push([&] { order.push_back(2); });
    UITaskQueue::Drain();
    EXPECT_EQ((std::vector<int>{1, 2}), order);
    UITaskQueue::Drain();
    EXPECT_EQ((std::vector<int>{1, 2, 3}), order);
}

// A modal loop run by a queued callable drains the queue from inside that callable.
TEST(UITaskQueue, ACallableRunningAModalLoopKeepsTheOrderOfThoseBehindIt)
{
    std::vector<char> order;
    UITaskQueue::Push([&] {
        order.push_back('A');
        UITaskQueue::Push([&] { order.push_back('C'); });
        UITaskQueue::Drain();
    });
    UITaskQueue::Push([&] { order.push_back('B'); });
    UITaskQueue::Drain();
    UITaskQueue::Drain();
    EXPECT_EQ((std::vector<char>{'A', 'B', 'C'}), order);
}

// A callable's modal loop drains the queue again: what was queued behind that callable runs there,
// not only once the loop has ended.
TEST(UITaskQueue, CallablesBehindOneInANestedLoopRunInThatLoop)
{
    std::vector<int> order;
    UITaskQueue::Push([&] {
        order.push_back(1);
        UITaskQueue::Drain();
        order.push_back(3);
    });
    UITaskQueue::Push([&] { order.push_back(2); });
    UITaskQueue::Drain();
    EXPECT_EQ((std::vector<int>{1, 2, 3}), order);
}

TEST(UITaskQueue, RefusesAnEmptyCallable)
{
    EXPECT_FALSE(UITaskQueue::Push(std::function<void()>()));
    UITaskQueue::Drain();
}

TEST(UITaskQueue, RecognisesOnlyTheFullWakeUpTriple)
{
    EXPECT_TRUE(UITaskQueue::IsWakeUp(2258, 2258, 2258));
    EXPECT_FALSE(UITaskQueue::IsWakeUp(2258, 0, 0));
    EXPECT_FALSE(UITaskQueue::IsWakeUp(2258, 2258, 0));
}
