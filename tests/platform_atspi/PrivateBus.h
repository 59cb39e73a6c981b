#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace ondrel::test {

// A dbus-daemon of our own for one test run, with no service activation: nothing on it
// answers unless the test put it there.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    /// The address to connect to; empty when the daemon could not be started.
    const QString& address() const { return m_address; }

private:
    QTemporaryDir m_directory;
    QProcess m_daemon;
    QString m_address;
};

} // namespace ondrel::test
