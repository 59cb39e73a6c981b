#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace ondrel::app {

// One Ondrel per user session, because two would fight over the shortcut. The first process
// owns the name "org.ondrel.Ondrel" on the session bus and answers org.freedesktop.Application's
// Activate there; without a session bus it holds a lock in $XDG_RUNTIME_DIR instead and takes
// SIGUSR1 as the request. A later process asks the first one to activate and goes away.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* busName = "org.ondrel.Ondrel";
    static constexpr const char* objectPath = "/org/ondrel/Ondrel";

    enum class Outcome
    {
        /// This process is the one instance; activation requests will reach it.
        claimed,
        /// Another instance runs and was asked to activate.
        activatedOther,
        /// Another instance runs but could not be reached; error() says why.
        failed
    };

    /// onActivate runs on the main thread for each request of a later process.
    explicit SingleInstance(std::function<void()> onActivate);
    ~SingleInstance() override;

    /// Claims the session for this process, or asks the process holding it to activate.
    Outcome claim();
    /// What went wrong, for Outcome::failed.
    const QString& error() const { return m_error; }

    /// Runs the activation request, as a later process's Activate call does.
    void activate();

private:
    Outcome claimOnBus();
    Outcome claimLock();

    struct Lock;
    std::function<void()> m_onActivate;
    std::unique_ptr<Lock> m_lock;
    QString m_error;
};

} // namespace ondrel::app
