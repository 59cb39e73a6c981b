#include "platform/freedesktop/QtExecutor.h"
#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;
using ondrel::platform::freedesktop::QtExecutor;
using ondrel::test::processEventsFor;
using ondrel::test::processEventsUntil;

namespace {

// Holds workers until opened; stands in for a browser that does not answer.
struct Latch
{
    void wait()
    {
        ++waiting;
        while (!open)
            std::this_thread::sleep_for(1ms);
    }
    std::atomic<int> waiting{0};
    std::atomic<bool> open{false};
};

TEST(QtExecutor, HungWorkersDoNotStarveLaterOnes)
{
    Latch hung; // outlives the executor, which waits briefly for the released workers
    QtExecutor executor;
    for (int i = 0; i < 12; ++i) {
        executor.runOnWorker([&] { hung.wait(); });
    }
    std::optional<int> answer;
    executor.runOnWorker(std::function<int()>([] { return 5; }),
                         std::function<void(int)>([&](int value) { answer = value; }));
    EXPECT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(processEventsUntil([&] { return hung.waiting == 12; }));
    hung.open = true;
}

// Neither the late result of work abandoned at destruction nor a pending timer arrives.
TEST(QtExecutor, WorkAndTimersAbandonedAtDestructionComeToNothing)
{
    Latch hung;
    std::atomic<bool> workReturned{false};
    bool late = false;
    {
        QtExecutor executor;
        executor.runOnWorker(std::function<int()>([&] {
                                 hung.wait();
                                 workReturned = true;
                                 return 1;
                             }),
                             std::function<void(int)>([&](int) { late = true; }));
        ASSERT_TRUE(processEventsUntil([&] { return hung.waiting == 1; }));
        executor.runAfter(1ms, [&] { late = true; });
    } // returns although the worker still hangs
    hung.open = true;
    ASSERT_TRUE(processEventsUntil([&] { return workReturned.load(); }));
    processEventsFor(100ms);
    EXPECT_FALSE(late);
}

TEST(QtExecutor, TimersMayBeScheduledAndCancelledFromWorkers)
{
    QtExecutor executor;
    std::vector<std::string> fired;
    executor.runOnWorker([&] {
        const auto doomed = executor.runAfter(30ms, [&] { fired.push_back("cancelled"); });
        executor.runAfter(1ms, [&] { fired.push_back("kept"); });
        executor.cancel(doomed);
        executor.runAfter(60ms, [&] { fired.push_back("sentinel"); });
    });
    ASSERT_TRUE(processEventsUntil([&] { return fired.size() == 2; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"kept", "sentinel"}));
}

} // namespace
