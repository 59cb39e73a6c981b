#pragma once

#include "platform/Executor.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

namespace ondrel::platform::fake {

// A manual executor on a virtual clock.
//
// The main thread is whichever thread calls advance() or runUntilIdle(); nothing runs on it
// otherwise. Workers are real threads. Fake services that "take time" block a worker on the
// virtual clock with waitUntil()/sleepFor(), or forever with hang(); advance() moves the clock
// one due point at a time and, before it runs any main-thread task, waits until every worker
// has either finished or blocked on a later virtual instant. Runs are therefore deterministic
// as long as workers block only through this executor.
//
// At one instant, in this order: workers whose wake-up time has come, then posted tasks, then
// timers in the order of their due time and creation.
class FakeExecutor final : public Executor
{
public:
    using Clock = std::chrono::steady_clock;

    FakeExecutor();
    /// Releases blocked and hung workers and joins them; pending tasks are dropped.
    ~FakeExecutor() override;

    Clock::time_point now() const override;
    std::chrono::system_clock::time_point wallClock() const override;
    void post(Task task) override;
    TimerId runAfter(std::chrono::milliseconds delay, Task task) override;
    void cancel(TimerId id) override;
    void runOnWorker(Task work) override;
    using Executor::runOnWorker;

    // --- driving the clock (main thread) ---------------------------------------------

    /// Moves the clock forward by duration, running everything that falls due on the way.
    void advance(Clock::duration duration);
    /// Moves the clock to instant (no effect when it lies in the past), running what falls due.
    void advanceTo(Clock::time_point instant);
    /// Runs everything that is ready now without moving the clock.
    void runUntilIdle();

    /// Timers that have neither fired nor been cancelled.
    std::size_t pendingTimers() const;
    /// The due time of the earliest pending timer.
    std::optional<Clock::time_point> nextTimerDue() const;
    /// Workers started and not yet finished (blocked or hung ones included).
    std::size_t liveWorkers() const;
    /// Virtual time passed since construction.
    Clock::duration elapsed() const;

    // --- for fake services running on workers ----------------------------------------

    /// Blocks the calling worker until the virtual clock reaches instant. False when the
    /// executor shut down first. Calling it from a thread that is not a worker is an error.
    bool waitUntil(Clock::time_point instant);
    /// waitUntil(now() + duration).
    bool sleepFor(Clock::duration duration);
    /// Blocks the calling worker until shutdown: a service that never answers.
    void hang();
    /// True on one of this executor's worker threads.
    bool isWorkerThread() const;

    /// Releases every blocked or hung worker and joins them all; later work is dropped.
    /// Called by fakes that block workers before they go away. Idempotent.
    void shutdown() override;

private:
    struct Timer
    {
        TimerId id = 0;
        Task task;
    };
    using TimerKey = std::pair<Clock::time_point, std::uint64_t>;

    struct Worker
    {
        std::thread thread;
        bool finished = false;
    };

    void workerMain(Worker* self, Task work);
    std::size_t runnableWorkers() const;
    void settle(std::unique_lock<std::mutex>& lock);
    void reapFinishedWorkers();
    void requireWorkerThread(const char* operation) const;

    mutable std::mutex m_mutex;
    std::condition_variable m_clockMoved;
    std::condition_variable m_workersChanged;

    const Clock::time_point m_start;
    Clock::time_point m_now;
    std::chrono::system_clock::time_point m_wallAtStart;

    std::deque<Task> m_posted;
    std::map<TimerKey, Timer> m_timers;
    std::uint64_t m_nextSequence = 0;
    TimerId m_nextTimerId = 1;

    std::list<Worker> m_workers;
    std::size_t m_liveWorkers = 0;
    std::multiset<Clock::time_point> m_sleepers;
    std::size_t m_hanging = 0;
    std::exception_ptr m_workerFailure;
    bool m_shutdown = false;
};

} // namespace ondrel::platform::fake
