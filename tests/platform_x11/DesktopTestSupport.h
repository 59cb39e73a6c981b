#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

namespace ondrel::platform::x11::test {

struct ProcessResult
{
    int exitCode = -1;
    QByteArray output;
};

/// Runs a program to its end while the Qt event loop keeps running (so our own clipboard
/// is served to it); -1 when it did not end within the limit.
ProcessResult runProcess(const QString& program, const QStringList& arguments,
                         std::chrono::milliseconds limit = std::chrono::seconds(20));
// A program running in the background for the length of a test; stopped on destruction.
class BackgroundProcess
{
public:
    BackgroundProcess(const QString& program, const QStringList& arguments);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    qint64 pid() const { return m_process.processId(); }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
};
/// Runs the event loop until done() holds or the limit passed; returns done().
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
/// Runs the event loop for a while.
void spinFor(std::chrono::milliseconds duration);

} // namespace ondrel::platform::x11::test
