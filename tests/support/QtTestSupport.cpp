#include "QtTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <mutex>

namespace ondrel::test {

bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // Other processes (an X server, a bus) answer meanwhile; do not spin the shared cores.
        QThread::msleep(1);
    }
    return true;
}

void processEventsFor(std::chrono::milliseconds duration)
{
    processEventsUntil([] { return false; }, duration);
}

namespace {

std::mutex g_logMutex;
QStringList g_logLines;
QtMessageHandler g_previousHandler = nullptr;

void captureLog(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (context.category && QByteArray(context.category).startsWith("ondrel.")) {
        std::lock_guard lock(g_logMutex);
        g_logLines.append(message);
    }
}

} // namespace

QtLogCapture::QtLogCapture()
{
    std::lock_guard lock(g_logMutex);
    g_logLines.clear();
    g_previousHandler = qInstallMessageHandler(&captureLog);
}

QtLogCapture::~QtLogCapture()
{
    qInstallMessageHandler(g_previousHandler);
}

QStringList QtLogCapture::lines() const
{
    std::lock_guard lock(g_logMutex);
    return g_logLines;
}

} // namespace ondrel::test
