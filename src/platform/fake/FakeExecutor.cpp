#include "FakeExecutor.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace ondrel::platform::fake {

namespace {

// Which executor, if any, owns the current thread as a worker.
thread_local const FakeExecutor* t_workerOf = nullptr;

// A recognisable, fixed starting point: tests compare instants, never absolute values.
constexpr auto kStart = std::chrono::steady_clock::time_point(std::chrono::hours(24));

std::chrono::system_clock::time_point defaultWallClock()
{
    using namespace std::chrono;
    return sys_days{year{2024} / January / 1};
}

} // namespace

FakeExecutor::FakeExecutor() : m_start(kStart), m_now(kStart), m_wallAtStart(defaultWallClock()) {}

FakeExecutor::~FakeExecutor()
{
    shutdown();
}

FakeExecutor::Clock::time_point FakeExecutor::now() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

std::chrono::system_clock::time_point FakeExecutor::wallClock() const
{
    std::lock_guard lock(m_mutex);
    return m_wallAtStart +
           std::chrono::duration_cast<std::chrono::system_clock::duration>(m_now - m_start);
}

void FakeExecutor::post(Task task)
{
    std::lock_guard lock(m_mutex);
    m_posted.push_back(std::move(task));
}

Executor::TimerId FakeExecutor::runAfter(std::chrono::milliseconds delay, Task task)
{
    std::lock_guard lock(m_mutex);
    const TimerId id = m_nextTimerId++;
    const auto due = m_now + std::max(delay, std::chrono::milliseconds(0));
    m_timers.emplace(TimerKey{due, m_nextSequence++}, Timer{id, std::move(task)});
    return id;
}

void FakeExecutor::cancel(TimerId id)
{
    std::lock_guard lock(m_mutex);
    auto found = std::find_if(m_timers.begin(), m_timers.end(),
                              [id](const auto& entry) { return entry.second.id == id; });
    if (found != m_timers.end()) {
        m_timers.erase(found);
    }
}

void FakeExecutor::runOnWorker(Task work)
{
    reapFinishedWorkers();
    std::lock_guard lock(m_mutex);
    if (m_shutdown) {
        return;
    }
    ++m_liveWorkers;
    Worker& worker = m_workers.emplace_back();
    worker.thread = std::thread(&FakeExecutor::workerMain, this, &worker, std::move(work));
}

void FakeExecutor::workerMain(Worker* self, Task work)
{
    t_workerOf = this;
    std::exception_ptr failure;
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    // The task (and whatever it holds) goes before the worker counts as finished.
    work = nullptr;
    std::lock_guard lock(m_mutex);
    if (failure && !m_workerFailure) {
        m_workerFailure = failure;
    }
    self->finished = true;
    --m_liveWorkers;
    m_workersChanged.notify_all();
}

void FakeExecutor::advance(Clock::duration duration)
{
    advanceTo(now() + std::max(duration, Clock::duration::zero()));
}

void FakeExecutor::advanceTo(Clock::time_point instant)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        settle(lock);
        if (!m_posted.empty()) {
            Task task = std::move(m_posted.front());
            m_posted.pop_front();
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
            continue;
        }
        if (!m_timers.empty() && m_timers.begin()->first.first <= m_now) {
            Task task = std::move(m_timers.begin()->second.task);
            m_timers.erase(m_timers.begin());
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
            continue;
        }
        // Nothing is ready: move to the next instant at which something happens.
        std::optional<Clock::time_point> next;
        if (!m_timers.empty()) {
            next = m_timers.begin()->first.first;
        }
        if (auto sleeper = m_sleepers.upper_bound(m_now); sleeper != m_sleepers.end()) {
            next = next ? std::min(*next, *sleeper) : *sleeper;
        }
        if (!next || *next > instant) {
            if (m_now >= instant) {
                return;
            }
            next = instant;
        }
        m_now = *next;
        m_clockMoved.notify_all();
    }
}

void FakeExecutor::runUntilIdle()
{
    advanceTo(now());
}

std::size_t FakeExecutor::pendingTimers() const
{
    std::lock_guard lock(m_mutex);
    return m_timers.size();
}

std::optional<FakeExecutor::Clock::time_point> FakeExecutor::nextTimerDue() const
{
    std::lock_guard lock(m_mutex);
    if (m_timers.empty()) {
        return std::nullopt;
    }
    return m_timers.begin()->first.first;
}

std::size_t FakeExecutor::liveWorkers() const
{
    std::lock_guard lock(m_mutex);
    return m_liveWorkers;
}

FakeExecutor::Clock::duration FakeExecutor::elapsed() const
{
    std::lock_guard lock(m_mutex);
    return m_now - m_start;
}

bool FakeExecutor::waitUntil(Clock::time_point instant)
{
    requireWorkerThread("waitUntil");
    std::unique_lock lock(m_mutex);
    if (m_shutdown) {
        return false;
    }
    if (instant <= m_now) {
        return true;
    }
    auto entry = m_sleepers.insert(instant);
    m_workersChanged.notify_all();
    m_clockMoved.wait(lock, [&] { return m_shutdown || m_now >= instant; });
    m_sleepers.erase(entry);
    return !m_shutdown;
}

bool FakeExecutor::sleepFor(Clock::duration duration)
{
    return waitUntil(now() + duration);
}

void FakeExecutor::hang()
{
    requireWorkerThread("hang");
    std::unique_lock lock(m_mutex);
    ++m_hanging;
    m_workersChanged.notify_all();
    m_clockMoved.wait(lock, [&] { return m_shutdown; });
    --m_hanging;
}

bool FakeExecutor::isWorkerThread() const
{
    return t_workerOf == this;
}

void FakeExecutor::shutdown()
{
    std::list<Worker> workers;
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
        m_clockMoved.notify_all();
        workers.swap(m_workers);
    }
    for (Worker& worker : workers) {
        if (worker.thread.get_id() == std::this_thread::get_id()) {
            // A worker that tears its own executor down cannot wait for itself.
            worker.thread.detach();
        } else if (worker.thread.joinable()) {
            worker.thread.join();
        }
    }
}

std::size_t FakeExecutor::runnableWorkers() const
{
    // Workers asleep until a later instant, and hung ones, cannot make progress; the rest
    // (running, or woken but not yet scheduled by the OS) can.
    const auto asleep =
        static_cast<std::size_t>(std::distance(m_sleepers.upper_bound(m_now), m_sleepers.end()));
    return m_liveWorkers - asleep - m_hanging;
}

void FakeExecutor::settle(std::unique_lock<std::mutex>& lock)
{
    m_workersChanged.wait(lock, [&] { return runnableWorkers() == 0; });
    if (m_workerFailure) {
        std::rethrow_exception(std::exchange(m_workerFailure, nullptr));
    }
}

void FakeExecutor::reapFinishedWorkers()
{
    std::list<Worker> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            auto current = it++;
            if (current->finished) {
                finished.splice(finished.end(), m_workers, current);
            }
        }
    }
    for (Worker& worker : finished) {
        worker.thread.join();
    }
}

void FakeExecutor::requireWorkerThread(const char* operation) const
{
    if (!isWorkerThread()) {
        // Blocking the main thread on the virtual clock would wait forever: only advance()
        // moves it, and advance() runs on that very thread.
        throw std::logic_error(std::string("FakeExecutor::") + operation +
                               " called outside a worker thread");
    }
}

} // namespace ondrel::platform::fake
