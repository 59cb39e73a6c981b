#include "PacedFakeExecutor.h"

#include "platform/fake/FakeExecutor.h"

#include <QTimer>

#include <stdexcept>

namespace ondrel::platform {

namespace {

constexpr std::chrono::milliseconds kTick{5};

fake::FakeExecutor& asFake(Executor* executor)
{
    auto* fakeExecutor = dynamic_cast<fake::FakeExecutor*>(executor);
    if (!fakeExecutor) {
        throw std::invalid_argument("PacedFakeExecutor needs a FakeExecutor");
    }
    return *fakeExecutor;
}

} // namespace

PacedFakeExecutor::PacedFakeExecutor(std::unique_ptr<Executor> fakeExecutor)
    : m_owned(std::move(fakeExecutor)), m_fake(asFake(m_owned.get())),
      m_timer(std::make_unique<QTimer>()), m_lastReal(std::chrono::steady_clock::now())
{
    m_fake.setWallClock(std::chrono::system_clock::now());
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { catchUp(); });
    m_timer->start(kTick);
}

PacedFakeExecutor::~PacedFakeExecutor()
{
    shutdown();
}

void PacedFakeExecutor::shutdown()
{
    m_timer->stop();
    m_fake.shutdown();
}

std::chrono::steady_clock::time_point PacedFakeExecutor::now() const
{
    return m_fake.now();
}

std::chrono::system_clock::time_point PacedFakeExecutor::wallClock() const
{
    return m_fake.wallClock();
}

void PacedFakeExecutor::post(Task task)
{
    m_fake.post(std::move(task));
}

Executor::TimerId PacedFakeExecutor::runAfter(std::chrono::milliseconds delay, Task task)
{
    return m_fake.runAfter(delay, std::move(task));
}

void PacedFakeExecutor::cancel(TimerId id)
{
    m_fake.cancel(id);
}

void PacedFakeExecutor::runOnWorker(Task work)
{
    m_fake.runOnWorker(std::move(work));
}

void PacedFakeExecutor::catchUp()
{
    // A task that opens a modal dialog spins a nested event loop, and with it this timer;
    // the outer advance is still running, so the nested tick waits for it.
    if (m_running) {
        return;
    }
    m_running = true;
    const auto real = std::chrono::steady_clock::now();
    const auto step = real - m_lastReal;
    m_lastReal = real;
    try {
        m_fake.advance(step);
    } catch (...) {
        m_running = false;
        throw;
    }
    m_running = false;
}

} // namespace ondrel::platform
