#include "DBusUserNotifications.h"

#include "FreedesktopLog.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace ondrel::platform::freedesktop {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

DBusUserNotifications::DBusUserNotifications()
    : DBusUserNotifications(QDBusConnection::sessionBus())
{}

DBusUserNotifications::DBusUserNotifications(const QDBusConnection& connection)
    : m_connection(std::make_unique<QDBusConnection>(connection)),
      m_context(std::make_unique<QObject>())
{}

// Pending watchers are children of m_context and go with it; their callbacks never run.
DBusUserNotifications::~DBusUserNotifications() = default;

void DBusUserNotifications::deliver(const std::string& identifier, const std::string& title,
                                    const std::string& body)
{
    Slot& slot = m_slots[identifier];
    if (slot.inFlight) {
        // Sending now would show a second notification, because the id to replace is not
        // known yet; the newest content follows once the server has answered.
        slot.waiting = Content{title, body};
        return;
    }
    send(identifier, Content{title, body});
}

void DBusUserNotifications::send(const std::string& identifier, const Content& content)
{
    if (!m_connection->isConnected()) {
        reportUnavailable(QStringLiteral("no session bus"));
        return;
    }
    Slot& slot = m_slots[identifier];
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("ondrel")},
        {QStringLiteral("sound-name"), QStringLiteral("message-new-instant")},
    };
    call << QStringLiteral("Ondrel") << slot.serverId << QString()
         << QString::fromStdString(content.title) << QString::fromStdString(content.body)
         << QStringList() << hints << -1;
    slot.inFlight = true;
    auto* watcher =
        new QDBusPendingCallWatcher(m_connection->asyncCall(call), m_context.get()); // owned
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, m_context.get(),
        [this, identifier](QDBusPendingCallWatcher* done) { finished(identifier, done); });
}

void DBusUserNotifications::finished(const std::string& identifier,
                                     QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    Slot& slot = m_slots[identifier];
    slot.inFlight = false;
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        reportUnavailable(reply.error().message());
    } else {
        slot.serverId = reply.value();
    }
    if (slot.waiting) {
        const Content next = *slot.waiting;
        slot.waiting.reset();
        send(identifier, next);
    }
}

void DBusUserNotifications::reportUnavailable(const QString& reason)
{
    if (m_reportedUnavailable) {
        return;
    }
    m_reportedUnavailable = true;
    qCWarning(desktopLog).noquote() << "desktop notifications are not available:" << reason;
}

} // namespace ondrel::platform::freedesktop
