#pragma once

#include "Service.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace ondrel::platform {

// The main thread's event loop, its timers, worker threads and the clocks.
// Core code never sleeps: every wait is a request to run something later.
class Executor : public Service
{
public:
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;

    /// Monotonic time on which delays and limits are measured.
    virtual std::chrono::steady_clock::time_point now() const = 0;
    /// Wall-clock time, for time stamps the user sees (lastUsedAt, createdAt).
    virtual std::chrono::system_clock::time_point wallClock() const = 0;
    /// Queues task on the main thread after what is already queued; callable from any thread.
    virtual void post(Task task) = 0;
    /// Runs task on the main thread once delay has passed; the id can cancel it.
    virtual TimerId runAfter(std::chrono::milliseconds delay, Task task) = 0;
    /// Cancels a pending runAfter; no effect when it already ran or was cancelled.
    virtual void cancel(TimerId id) = 0;
    /// Runs work on a worker thread; the worker may block, nobody waits for it.
    virtual void runOnWorker(Task work) = 0;
    /// Stops timers and workers: waits briefly for running work, then abandons it; later work
    /// is dropped. Idempotent.
    virtual void shutdown() = 0;

    /// A function that queues tasks on the main thread, safe to call even after the executor
    /// is gone (the task is then dropped); what abandoned work uses to hand back its result.
    virtual std::function<void(Task)> mainThreadPoster()
    {
        return [this](Task task) { post(std::move(task)); };
    }

    /// Runs work on a worker and hands its result to done on the main thread.
    template <typename T>
    void runOnWorker(std::function<T()> work, std::function<void(T)> done)
    {
        runOnWorker([poster = mainThreadPoster(), work = std::move(work),
                     done = std::move(done)]() mutable {
            auto result = std::make_shared<T>(work());
            poster([done = std::move(done), result]() mutable { done(std::move(*result)); });
        });
    }
};

} // namespace ondrel::platform
