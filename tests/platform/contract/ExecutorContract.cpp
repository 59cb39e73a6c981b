#include "Contracts.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace ondrel::test {
namespace {

// Every log entry is made on the main thread.
using Log = std::vector<std::string>;

// Posts run before timers, timers in the order of their delays. A cancelled timer never runs,
// also when cancelled from inside a timer, which may schedule another in its place.
TEST_P(ExecutorContract, TimersFireInTheOrderOfTheirDelaysUnlessCancelled)
{
    auto& executor = harness().service();
    const auto steadyBefore = executor.now();
    const auto wallBefore = executor.wallClock();
    Log log;
    std::chrono::steady_clock::time_point steadyAtLast;
    const auto doomed = executor.runAfter(5ms, [&] { log.push_back("cancelled"); });
    platform::Executor::TimerId later = 0;
    const auto fired = executor.runAfter(5ms, [&] {
        log.push_back("fired");
        executor.cancel(later);
        executor.runAfter(1ms, [&] { log.push_back("rescheduled"); });
    });
    later = executor.runAfter(30ms, [&] { log.push_back("cancelled too"); });
    executor.runAfter(60ms, [&] {
        log.push_back("last");
        steadyAtLast = executor.now();
    });
    executor.runAfter(40ms, [&] { log.push_back("late"); });
    executor.post([&] { log.push_back("posted"); });
    executor.cancel(doomed);
    executor.cancel(doomed); // twice: no effect
    ASSERT_TRUE(harness().runUntil([&] { return log.size() == 5; }));
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "fired", "rescheduled", "late", "last"}));
    EXPECT_GE(steadyAtLast - steadyBefore, 60ms);
    EXPECT_GE(executor.wallClock(), wallBefore);

    executor.cancel(fired);
    executor.cancel(987654321); // never issued
    executor.post([&] { log.push_back("still running"); });
    ASSERT_TRUE(harness().runUntil([&] { return log.size() == 6; }));
}

// Posts from the main thread keep their order; those from workers all arrive, and so does a
// worker's result. All run on the main thread, the workers' work off it.
TEST_P(ExecutorContract, PostsAndResultsRunOnTheMainThreadAndThoseOfOneThreadInOrder)
{
    auto& executor = harness().service();
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> arrived;
    std::atomic<bool> offMain{false};
    std::atomic<bool> workOnMain{false};
    const auto arrive = [&](int i) {
        offMain = offMain || std::this_thread::get_id() != mainThread;
        arrived.push_back(i);
    };
    for (int i = 0; i < 5; ++i)
        executor.post([&, i] { arrive(i); });
    for (int i = 5; i < 13; ++i)
        executor.runOnWorker([&, i] { executor.post([&, i] { arrive(i); }); });
    executor.runOnWorker(std::function<int()>([&] {
                             workOnMain = std::this_thread::get_id() == mainThread;
                             return 42;
                         }),
                         std::function<void(int)>(arrive));
    ASSERT_TRUE(harness().runUntil([&] { return arrived.size() == 14; }));
    EXPECT_EQ(std::vector<int>(arrived.begin(), arrived.begin() + 5),
              (std::vector<int>{0, 1, 2, 3, 4}));
    std::sort(arrived.begin(), arrived.end());
    EXPECT_EQ(arrived, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 42}));
    EXPECT_FALSE(offMain);
    EXPECT_FALSE(workOnMain);
}

} // namespace
} // namespace ondrel::test
