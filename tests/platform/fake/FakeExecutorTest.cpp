// The fake executor's own rules of order and shutdown, which every test on virtual time relies
// on; what it shares with the real executor is in the executor contract.
#include "platform/fake/FakeExecutor.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using ondrel::platform::fake::FakeExecutor;
using ondrel::platform::fake::FakePlatform;

namespace {

using Millis = std::chrono::milliseconds;

Millis since(const FakeExecutor& executor, std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<Millis>(executor.now() - start);
}

TEST(FakeExecutor, PostsRunFirstThenTimersExactlyAtTheirDueTimeInDueAndCreationOrder)
{
    FakeExecutor executor;
    const auto start = executor.now();
    std::vector<std::string> log;
    executor.runAfter(20ms, [&] { log.push_back("20"); });
    executor.runAfter(10ms, [&] {
        log.push_back("10a");
        executor.post([&] { log.push_back("posted by 10a"); });
    });
    executor.runAfter(10ms, [&] { log.push_back("10b"); });
    executor.runAfter(0ms, [&] { log.push_back("0"); });
    executor.runAfter(-5ms, [&] { log.push_back("negative"); });
    executor.post([&] { log.push_back("posted"); });

    executor.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "0", "negative"}));
    executor.advance(9ms);
    EXPECT_EQ(log.size(), 3u);
    executor.advance(11ms);
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "0", "negative", "10a", "posted by 10a",
                                             "10b", "20"}));
    EXPECT_EQ(since(executor, start), 20ms);
}

// A look-up that answers exactly at its limit wins: a worker due at an instant runs before the
// timers due then.
TEST(FakeExecutor, WorkersBlockedOnTheClockWakeInTimeOrderBeforeTimersOfTheSameInstant)
{
    FakeExecutor executor;
    const auto start = executor.now();
    std::vector<std::pair<std::string, Millis>> arrivals;
    executor.runAfter(40ms, [&] { arrivals.emplace_back("timer", since(executor, start)); });
    // Started in scrambled order; each answers after its own delay.
    for (int delay : {70, 10, 50, 30, 20, 60, 40}) {
        executor.runOnWorker([&executor, &arrivals, start, delay] {
            executor.sleepFor(Millis(delay));
            executor.post([&executor, &arrivals, start, delay] {
                arrivals.emplace_back(std::to_string(delay), since(executor, start));
            });
        });
    }
    executor.advance(100ms);
    const std::vector<std::pair<std::string, Millis>> expected{
        {"10", 10ms},    {"20", 20ms}, {"30", 30ms}, {"40", 40ms},
        {"timer", 40ms}, {"50", 50ms}, {"60", 60ms}, {"70", 70ms}};
    EXPECT_EQ(arrivals, expected);
    EXPECT_EQ(executor.liveWorkers(), 0u);
}

// Leaving the scope releases a hung look-up and a sleeping worker; the test finishing proves it.
TEST(FakeExecutor, ShutdownReleasesHungAndSleepingWorkersAndDropsLaterWork)
{
    std::atomic<int> released{0};
    {
        FakePlatform fake;
        fake.browserUrl().hang(7);
        fake.platform().executor->runOnWorker([&] {
            EXPECT_EQ(fake.platform().browserUrl->currentURL(7, "chromium"), std::nullopt);
            ++released;
        });
        fake.executor().runOnWorker([&] {
            EXPECT_FALSE(fake.executor().sleepFor(1h));
            ++released;
        });
        fake.executor().advance(10s);
        EXPECT_EQ(fake.executor().liveWorkers(), 2u);
        EXPECT_EQ(released, 0);
    }
    EXPECT_EQ(released, 2);

    FakeExecutor executor;
    executor.shutdown();
    bool ran = false;
    executor.runOnWorker([&] { ran = true; });
    executor.runUntilIdle();
    EXPECT_FALSE(ran);
    EXPECT_EQ(executor.liveWorkers(), 0u);
}

} // namespace
