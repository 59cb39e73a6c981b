#pragma once

#include "platform/Executor.h"

#include <atomic>
#include <memory>
#include <unordered_map>

class QObject;
class QThreadPool;
class QTimer;

namespace ondrel::platform::freedesktop {

// The executor of the Qt event loop. Construct it on the main (GUI) thread.
//
// Workers come from a pool of its own, sized so that look-ups that hang (a browser that
// never answers over AT-SPI) cannot starve later ones. At destruction, work still running is
// abandoned rather than waited for; its late results are dropped.
class QtExecutor final : public Executor
{
public:
    QtExecutor();
    ~QtExecutor() override;

    std::chrono::steady_clock::time_point now() const override;
    std::chrono::system_clock::time_point wallClock() const override;
    void post(Task task) override;
    TimerId runAfter(std::chrono::milliseconds delay, Task task) override;
    void cancel(TimerId id) override;
    void runOnWorker(Task work) override;
    void shutdown() override;
    using Executor::runOnWorker;
    std::function<void(Task)> mainThreadPoster() override;

private:
    class Gate;

    bool onMainThread() const;
    void startTimer(TimerId id, std::chrono::milliseconds delay, Task task);
    void stopTimer(TimerId id);

    std::unique_ptr<QObject> m_context;
    std::shared_ptr<Gate> m_gate;
    std::unique_ptr<QThreadPool> m_pool;
    std::unordered_map<TimerId, QTimer*> m_timers; // main thread only; owned by m_context
    std::atomic<TimerId> m_nextTimerId{1};
};

} // namespace ondrel::platform::freedesktop
