#include "DesktopTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace ondrel::platform::x11::test {

ProcessResult runProcess(const QString& program, const QStringList& arguments,
                         std::chrono::milliseconds limit)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(5000))
        return result;
    const bool ended = spinUntil([&] { return process.state() == QProcess::NotRunning; }, limit);
    if (!ended) {
        process.kill();
        process.waitForFinished(2000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAllStandardOutput();
    return result;
}

BackgroundProcess::BackgroundProcess(const QString& program, const QStringList& arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, arguments);
    m_process.waitForStarted(5000);
}

BackgroundProcess::~BackgroundProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void spinFor(std::chrono::milliseconds duration)
{
    spinUntil([] { return false; }, duration);
}

} // namespace ondrel::platform::x11::test
