#include "QtExecutor.h"

#include "FreedesktopLog.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <exception>
#include <mutex>

namespace ondrel::platform::freedesktop {

namespace {

// Enough for a handful of hung browser look-ups with room to spare; idle threads expire.
constexpr int kMaxWorkers = 64;
// How long destruction waits for running work before abandoning it: long enough for a
// bounded browser look-up (under a second) to return before the service it calls goes.
constexpr int kShutdownGraceMs = 1000;

} // namespace

// The door to the main thread's queue; it outlives the executor in the hands of workers.
class QtExecutor::Gate
{
public:
    explicit Gate(QObject* context) : m_context(context) {}

    void post(Task task)
    {
        std::lock_guard lock(m_mutex);
        if (!m_context) {
            return;
        }
        QMetaObject::invokeMethod(
            m_context, [task = std::move(task)]() { task(); }, Qt::QueuedConnection);
    }

    void close()
    {
        std::lock_guard lock(m_mutex);
        m_context = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject* m_context;
};

QtExecutor::QtExecutor()
    : m_context(std::make_unique<QObject>()), m_gate(std::make_shared<Gate>(m_context.get())),
      m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(kMaxWorkers);
}

QtExecutor::~QtExecutor()
{
    shutdown();
}

void QtExecutor::shutdown()
{
    if (!m_pool)
        return;
    m_gate->close();
    m_pool->clear();
    if (!m_pool->waitForDone(kShutdownGraceMs)) {
        // Destroying the pool would block until the hung work returns, which may be never.
        // It is left to the end of the process; the closed gate drops whatever it posts.
        qCInfo(desktopLog) << "abandoning" << m_pool->activeThreadCount()
                           << "unfinished worker task(s)";
        static_cast<void>(m_pool.release());
        return;
    }
    m_pool.reset();
}

std::chrono::steady_clock::time_point QtExecutor::now() const
{
    return std::chrono::steady_clock::now();
}

std::chrono::system_clock::time_point QtExecutor::wallClock() const
{
    return std::chrono::system_clock::now();
}

void QtExecutor::post(Task task)
{
    m_gate->post(std::move(task));
}

Executor::TimerId QtExecutor::runAfter(std::chrono::milliseconds delay, Task task)
{
    const TimerId id = m_nextTimerId++;
    if (onMainThread()) {
        startTimer(id, delay, std::move(task));
    } else {
        post([this, id, delay, task = std::move(task)]() mutable {
            startTimer(id, delay, std::move(task));
        });
    }
    return id;
}

void QtExecutor::cancel(TimerId id)
{
    if (onMainThread()) {
        stopTimer(id);
    } else {
        post([this, id] { stopTimer(id); });
    }
}

void QtExecutor::runOnWorker(Task work)
{
    if (!m_pool)
        return; // shut down: work that comes later is dropped
    m_pool->start([work = std::move(work)]() {
        try {
            work();
        } catch (const std::exception& error) {
            qCWarning(desktopLog) << "worker task failed:" << error.what();
        } catch (...) {
            qCWarning(desktopLog) << "worker task failed";
        }
    });
}

std::function<void(Executor::Task)> QtExecutor::mainThreadPoster()
{
    return [gate = m_gate](Task task) { gate->post(std::move(task)); };
}

bool QtExecutor::onMainThread() const
{
    return QThread::currentThread() == m_context->thread();
}

void QtExecutor::startTimer(TimerId id, std::chrono::milliseconds delay, Task task)
{
    auto* timer = new QTimer(m_context.get()); // owned by the context object
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, m_context.get(),
                     [this, id, timer, task = std::move(task)]() {
                         m_timers.erase(id);
                         timer->deleteLater();
                         // The task may cancel or schedule timers; this one is already gone.
                         Task run = task;
                         run();
                     });
    m_timers.emplace(id, timer);
    timer->start(std::max(delay, std::chrono::milliseconds(0)));
}

void QtExecutor::stopTimer(TimerId id)
{
    auto found = m_timers.find(id);
    if (found == m_timers.end()) {
        return;
    }
    found->second->stop();
    found->second->deleteLater();
    m_timers.erase(found);
}

} // namespace ondrel::platform::freedesktop
