#pragma once

#include "platform/UserNotifications.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class QDBusConnection;
class QDBusPendingCallWatcher;
class QObject;
class QString;

namespace ondrel::platform::freedesktop {

// Desktop notifications through org.freedesktop.Notifications. A notification replaces the
// one shown earlier under the same identifier (the server's id is remembered for replaces_id).
// Calls are asynchronous; without a notification server one line is logged and nothing else
// happens. Main thread only.
class DBusUserNotifications final : public UserNotifications
{
public:
    /// Talks to the session bus.
    DBusUserNotifications();
    /// Talks to the notification server on connection.
    explicit DBusUserNotifications(const QDBusConnection& connection);
    ~DBusUserNotifications() override;

    void deliver(const std::string& identifier, const std::string& title,
                 const std::string& body) override;

private:
    struct Content
    {
        std::string title;
        std::string body;
    };
    // What is known of one identifier: the server's id, whether a call is in flight, and
    // the newest content that waits for that call to answer.
    struct Slot
    {
        std::uint32_t serverId = 0;
        bool inFlight = false;
        std::optional<Content> waiting;
    };

    void send(const std::string& identifier, const Content& content);
    void finished(const std::string& identifier, QDBusPendingCallWatcher* watcher);
    void reportUnavailable(const QString& reason);

    std::unique_ptr<QDBusConnection> m_connection;
    std::unique_ptr<QObject> m_context;
    std::map<std::string, Slot> m_slots;
    bool m_reportedUnavailable = false;
};

} // namespace ondrel::platform::freedesktop
