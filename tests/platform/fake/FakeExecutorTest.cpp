#include "platform/fake/FakeExecutor.h"
#include "platform/fake/FakeBrowserUrl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using ondrel::platform::fake::FakeBrowserUrl;
using ondrel::platform::fake::FakeExecutor;

namespace {

using Millis = std::chrono::milliseconds;

Millis since(const FakeExecutor& executor, std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<Millis>(executor.now() - start);
}

TEST(FakeExecutor, TimerFiresExactlyAtItsDueTime)
{
    FakeExecutor executor;
    const auto start = executor.now();
    std::optional<Millis> firedAt;
    executor.runAfter(50ms, [&] { firedAt = since(executor, start); });

    executor.advance(49ms);
    EXPECT_FALSE(firedAt);
    EXPECT_EQ(executor.pendingTimers(), 1u);
    executor.advance(1ms);
    EXPECT_EQ(firedAt, 50ms);
    EXPECT_EQ(executor.pendingTimers(), 0u);
    EXPECT_EQ(since(executor, start), 50ms);
}

TEST(FakeExecutor, OneInstantRunsPostedTasksThenTimersInDueAndCreationOrder)
{
    FakeExecutor executor;
    std::vector<std::string> log;
    executor.runAfter(20ms, [&] { log.push_back("20a"); });
    executor.runAfter(10ms, [&] { log.push_back("10"); });
    executor.runAfter(20ms, [&] { log.push_back("20b"); });
    executor.runAfter(0ms, [&] { log.push_back("0"); });
    executor.runAfter(-5ms, [&] { log.push_back("negative"); });
    executor.post([&] { log.push_back("posted"); });

    executor.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "0", "negative"}));
    executor.advance(20ms);
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "0", "negative", "10", "20a", "20b"}));
}

TEST(FakeExecutor, TimersScheduledDuringAnAdvanceRunWhenTheyFallInside)
{
    FakeExecutor executor;
    const auto start = executor.now();
    std::vector<Millis> ticks;
    // A repeating poll built from single shots, like a permission poll.
    std::function<void()> tick = [&] {
        ticks.push_back(since(executor, start));
        executor.runAfter(2000ms, tick);
    };
    executor.runAfter(2000ms, tick);

    executor.advance(7000ms);
    EXPECT_EQ(ticks, (std::vector<Millis>{2000ms, 4000ms, 6000ms}));
    EXPECT_EQ(executor.nextTimerDue(), start + 8000ms);
}

TEST(FakeExecutor, PostsMadeByTasksRunBeforeTheNextTimer)
{
    FakeExecutor executor;
    std::vector<std::string> log;
    executor.runAfter(5ms, [&] {
        log.push_back("timer 1");
        executor.post([&] { log.push_back("post from timer 1"); });
    });
    executor.runAfter(5ms, [&] { log.push_back("timer 2"); });
    executor.advance(5ms);
    EXPECT_EQ(log, (std::vector<std::string>{"timer 1", "post from timer 1", "timer 2"}));
}

TEST(FakeExecutor, WallClockFollowsVirtualTime)
{
    FakeExecutor executor;
    const auto wall = std::chrono::sys_days{std::chrono::year{2030} / 5 / 6};
    executor.setWallClock(wall);
    executor.advance(90s);
    EXPECT_EQ(executor.wallClock(), wall + 90s);
    EXPECT_EQ(executor.elapsed(), 90s);
}

TEST(FakeExecutor, WorkersBlockedOnTheClockWakeInTimeOrder)
{
    FakeExecutor executor;
    const auto start = executor.now();
    std::vector<std::pair<int, Millis>> arrivals;
    // Started in scrambled order; each answers after its own delay.
    for (int delay : {70, 10, 50, 30, 20, 60, 40}) {
        executor.runOnWorker([&executor, &arrivals, start, delay] {
            executor.sleepFor(Millis(delay));
            executor.post([&executor, &arrivals, start, delay] {
                arrivals.emplace_back(delay, since(executor, start));
            });
        });
    }
    executor.advance(100ms);
    ASSERT_EQ(arrivals.size(), 7u);
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        const int expected = static_cast<int>(i + 1) * 10;
        EXPECT_EQ(arrivals[i].first, expected);
        EXPECT_EQ(arrivals[i].second, Millis(expected));
    }
    EXPECT_EQ(executor.liveWorkers(), 0u);
}

// A look-up raced against a limit, the way the context detector uses the executor.
struct RaceCase
{
    const char* name;
    std::optional<Millis> answerAfter; // none: the browser hangs
    std::optional<std::string> expectedResult;
    Millis decidedAt;
};

class FakeExecutorRace : public ::testing::TestWithParam<RaceCase>
{};

TEST_P(FakeExecutorRace, FirstOfAnswerAndLimitDecides)
{
    const RaceCase& race = GetParam();
    FakeExecutor executor;
    FakeBrowserUrl browser(executor);
    constexpr std::int64_t pid = 4242;
    if (race.answerAfter) {
        browser.answer(pid, "https://example.com/a?b#c", *race.answerAfter);
    } else {
        browser.hang(pid);
    }

    const auto start = executor.now();
    std::optional<std::optional<std::string>> decided;
    std::optional<Millis> decidedAt;
    int lateAnswers = 0;
    auto decide = [&](std::optional<std::string> result) {
        if (decided) {
            ++lateAnswers;
            return;
        }
        decided = std::move(result);
        decidedAt = since(executor, start);
    };
    executor.runOnWorker(std::function<std::optional<std::string>()>(
                             [&] { return browser.currentURL(pid, "firefox-esr"); }),
                         std::function<void(std::optional<std::string>)>(decide));
    executor.runAfter(1500ms, [&] { decide(std::nullopt); });

    executor.advance(3s);
    ASSERT_TRUE(decided.has_value());
    EXPECT_EQ(*decided, race.expectedResult);
    EXPECT_EQ(decidedAt, race.decidedAt);
    EXPECT_EQ(executor.liveWorkers(), race.answerAfter ? 0u : 1u);
    EXPECT_LE(lateAnswers, 1);
    // Leaving the scope releases a hung worker; the test finishing proves it does not hang.
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FakeExecutorRace,
    ::testing::Values(
        RaceCase{"AnswerAtOneSecondWins", 1000ms, "https://example.com/a?b#c", 1000ms},
        RaceCase{"AnswerAtOnce", 0ms, "https://example.com/a?b#c", 0ms},
        // At the very limit, a worker due at that instant runs before timers.
        RaceCase{"AnswerExactlyAtTheLimit", 1500ms, "https://example.com/a?b#c", 1500ms},
        RaceCase{"AnswerAtTwoSecondsIsTooLate", 2000ms, std::nullopt, 1500ms},
        RaceCase{"HangingBrowserLosesToTheLimit", std::nullopt, std::nullopt, 1500ms}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FakeExecutor, ShutdownReleasesHungAndSleepingWorkers)
{
    std::atomic<int> released{0};
    {
        FakeExecutor executor;
        executor.runOnWorker([&] {
            executor.hang();
            ++released;
        });
        executor.runOnWorker([&] {
            EXPECT_FALSE(executor.sleepFor(1h));
            ++released;
        });
        executor.advance(10s);
        EXPECT_EQ(executor.liveWorkers(), 2u);
        EXPECT_EQ(released, 0);
    }
    EXPECT_EQ(released, 2);
}

TEST(FakeExecutor, WorkAfterShutdownIsDropped)
{
    FakeExecutor executor;
    executor.shutdown();
    bool ran = false;
    executor.runOnWorker([&] { ran = true; });
    executor.runUntilIdle();
    EXPECT_FALSE(ran);
    EXPECT_EQ(executor.liveWorkers(), 0u);
}

TEST(FakeExecutor, BlockingOnTheClockOutsideAWorkerIsAnError)
{
    FakeExecutor executor;
    EXPECT_THROW(executor.sleepFor(1ms), std::logic_error);
    EXPECT_THROW(executor.hang(), std::logic_error);
    EXPECT_FALSE(executor.isWorkerThread());
}

TEST(FakeExecutor, WorkerFailureSurfacesOnTheMainThread)
{
    FakeExecutor executor;
    executor.runOnWorker([] { throw std::runtime_error("worker broke"); });
    EXPECT_THROW(executor.runUntilIdle(), std::runtime_error);
    EXPECT_NO_THROW(executor.runUntilIdle());
}

TEST(FakeExecutor, PostFromAPlainThreadIsQueuedForTheMainThread)
{
    FakeExecutor executor;
    std::thread::id ranOn;
    std::thread([&] { executor.post([&] { ranOn = std::this_thread::get_id(); }); }).join();
    EXPECT_EQ(executor.pendingTasks(), 1u);
    executor.runUntilIdle();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

} // namespace
