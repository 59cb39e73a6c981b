#include "ExecutorContract.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace ondrel::test {
namespace {

// Order of events, written from the main thread and workers alike.
class Log
{
public:
    void add(std::string entry)
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
    }
    std::vector<std::string> entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    std::size_t size() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries.size();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

TEST_P(ExecutorContract, PostedTasksRunInOrderOnTheMainThread)
{
    auto& executor = harness().executor();
    const auto mainThread = std::this_thread::get_id();
    Log log;
    std::atomic<bool> offMain{false};
    for (int i = 0; i < 5; ++i) {
        executor.post([&, i] {
            offMain = offMain || std::this_thread::get_id() != mainThread;
            log.add(std::to_string(i));
        });
    }
    ASSERT_TRUE(harness().runUntil([&] { return log.size() == 5; }));
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
    EXPECT_FALSE(offMain);
}

TEST_P(ExecutorContract, TimersFireInTheOrderOfTheirDelays)
{
    auto& executor = harness().executor();
    Log log;
    executor.runAfter(40ms, [&] { log.add("late"); });
    executor.runAfter(5ms, [&] { log.add("early"); });
    executor.post([&] { log.add("posted"); });
    ASSERT_TRUE(harness().runUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"posted", "early", "late"}));
}

TEST_P(ExecutorContract, CancelledTimerNeverRunsAndStaleCancelsAreHarmless)
{
    auto& executor = harness().executor();
    Log log;
    const auto doomed = executor.runAfter(5ms, [&] { log.add("cancelled"); });
    const auto fired = executor.runAfter(0ms, [&] { log.add("fired"); });
    executor.runAfter(20ms, [&] { log.add("sentinel"); });
    executor.cancel(doomed);
    executor.cancel(doomed); // twice: no effect
    ASSERT_TRUE(harness().runUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"fired", "sentinel"}));

    executor.cancel(fired);
    executor.cancel(987654321); // never issued
    executor.post([&] { log.add("still running"); });
    ASSERT_TRUE(harness().runUntil([&] { return log.size() == 3; }));
}

TEST_P(ExecutorContract, TimerCanCancelAnotherFromInsideATimer)
{
    auto& executor = harness().executor();
    Log log;
    platform::Executor::TimerId later = 0;
    executor.runAfter(1ms, [&] {
        log.add("first");
        executor.cancel(later);
        executor.runAfter(1ms, [&] { log.add("rescheduled"); });
    });
    later = executor.runAfter(30ms, [&] { log.add("cancelled"); });
    executor.runAfter(60ms, [&] { log.add("sentinel"); });
    ASSERT_TRUE(harness().runUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"first", "rescheduled", "sentinel"}));
}

TEST_P(ExecutorContract, WorkerRunsOffTheMainThreadAndHandsItsResultBack)
{
    auto& executor = harness().executor();
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> workerOnMain{true};
    std::optional<int> result;
    bool doneOnMain = false;
    executor.runOnWorker(std::function<int()>([&] {
                             workerOnMain = std::this_thread::get_id() == mainThread;
                             return 42;
                         }),
                         std::function<void(int)>([&](int value) {
                             doneOnMain = std::this_thread::get_id() == mainThread;
                             result = value;
                         }));
    ASSERT_TRUE(harness().runUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(workerOnMain);
    EXPECT_TRUE(doneOnMain);
}

TEST_P(ExecutorContract, PostsFromSeveralWorkersAllArrive)
{
    auto& executor = harness().executor();
    constexpr int kWorkers = 8;
    std::vector<int> arrived;
    for (int i = 0; i < kWorkers; ++i) {
        executor.runOnWorker(
            [&executor, &arrived, i] { executor.post([&arrived, i] { arrived.push_back(i); }); });
    }
    ASSERT_TRUE(harness().runUntil([&] { return arrived.size() == kWorkers; }));
    std::sort(arrived.begin(), arrived.end());
    EXPECT_EQ(arrived, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_P(ExecutorContract, ClocksDoNotGoBackwards)
{
    auto& executor = harness().executor();
    const auto steadyBefore = executor.now();
    const auto wallBefore = executor.wallClock();
    bool fired = false;
    std::chrono::steady_clock::time_point steadyAtFire;
    executor.runAfter(2ms, [&] {
        fired = true;
        steadyAtFire = executor.now();
    });
    ASSERT_TRUE(harness().runUntil([&] { return fired; }));
    EXPECT_GT(steadyAtFire, steadyBefore);
    EXPECT_GE(executor.wallClock(), wallBefore);
}

} // namespace
} // namespace ondrel::test
