#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace ondrel::app {

// Turns SIGTERM and SIGINT (logout, kill, Ctrl+C) into a normal quit and SIGUSR1 into an
// activation request, both run from the event loop rather than inside the signal handler.
// One per process.
class UnixSignals final : public QObject
{
public:
    UnixSignals(std::function<void()> onQuit, std::function<void()> onActivate);
    ~UnixSignals() override;

private:
    void dispatch();

    std::function<void()> m_onQuit;
    std::function<void()> m_onActivate;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace ondrel::app
