#pragma once

#include "platform/Executor.h"

#include <memory>

class QTimer;

namespace ondrel::platform::fake {
class FakeExecutor;
}

namespace ondrel::platform {

// Runs a fake executor's virtual clock in step with real time from the Qt event loop, for a
// program that runs on the fake backend instead of tests. Construct on the main thread.
class PacedFakeExecutor final : public Executor
{
public:
    explicit PacedFakeExecutor(std::unique_ptr<Executor> fakeExecutor);
    ~PacedFakeExecutor() override;

    std::chrono::steady_clock::time_point now() const override;
    std::chrono::system_clock::time_point wallClock() const override;
    void post(Task task) override;
    TimerId runAfter(std::chrono::milliseconds delay, Task task) override;
    void cancel(TimerId id) override;
    void runOnWorker(Task work) override;
    void shutdown() override;
    using Executor::runOnWorker;

private:
    void catchUp();

    std::unique_ptr<Executor> m_owned;
    fake::FakeExecutor& m_fake;
    std::unique_ptr<QTimer> m_timer;
    std::chrono::steady_clock::time_point m_lastReal;
    bool m_running = false;
};

} // namespace ondrel::platform
