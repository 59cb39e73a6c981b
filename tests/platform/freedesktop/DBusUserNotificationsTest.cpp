#include "platform/freedesktop/DBusUserNotifications.h"
#include "PrivateBus.h"
#include "QtTestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace std::chrono_literals;
using ondrel::platform::freedesktop::DBusUserNotifications;
using ondrel::test::PrivateBus;
using ondrel::test::processEventsFor;
using ondrel::test::processEventsUntil;
using ondrel::test::QtLogCapture;

namespace {

// A notification server that records Notify calls and, when asked, holds its replies back.
class FakeNotificationServer final : public QDBusVirtualObject
{
public:
    struct Call
    {
        uint replacesId = 0;
        QString summary;
        QString body;
    };

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QLatin1String("Notify") || message.arguments().size() != 8) {
            return false;
        }
        const QVariantList args = message.arguments();
        calls.push_back(Call{args[1].toUInt(), args[3].toString(), args[4].toString()});
        const uint id = calls.back().replacesId ? calls.back().replacesId : m_nextId++;
        const QDBusMessage reply = message.createReply(QVariant::fromValue(id));
        if (holdReplies) {
            m_held.push_back(reply);
        } else {
            connection.send(reply);
        }
        return true;
    }

    void releaseReplies(QDBusConnection& connection)
    {
        for (const auto& reply : m_held) {
            connection.send(reply);
        }
        m_held.clear();
    }

    std::vector<Call> calls;
    bool holdReplies = false;

private:
    uint m_nextId = 1;
    std::vector<QDBusMessage> m_held;
};

// A private session bus for one test, started and stopped by the test itself.
class DBusUserNotificationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is not installed";
        }
        ASSERT_FALSE(m_bus.address().isEmpty());
    }

    void TearDown() override
    {
        for (const auto& name : m_connections) {
            QDBusConnection::disconnectFromBus(name);
        }
    }

    QDBusConnection connect(const QString& name)
    {
        m_connections.push_back(name);
        return QDBusConnection::connectToBus(m_bus.address(), name);
    }

    // Puts the fake server on the bus.
    QDBusConnection serve(FakeNotificationServer& server)
    {
        QDBusConnection connection = connect(QStringLiteral("notification-server"));
        EXPECT_TRUE(connection.registerService(QStringLiteral("org.freedesktop.Notifications")));
        EXPECT_TRUE(connection.registerVirtualObject(
            QStringLiteral("/org/freedesktop/Notifications"), &server));
        return connection;
    }

private:
    PrivateBus m_bus;
    std::vector<QString> m_connections;
};

TEST_F(DBusUserNotificationsTest, ReplacesTheEarlierNotificationWithTheSameIdentifier)
{
    FakeNotificationServer server;
    serve(server);
    DBusUserNotifications notifications(connect(QStringLiteral("client")));

    notifications.deliver("accessibility-required", "Ondrel needs Accessibility access", "one");
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 1; }));
    // Let the reply (the server's id) arrive before the next delivery.
    processEventsFor(100ms);
    notifications.deliver("accessibility-required", "Ondrel needs Accessibility access", "two");
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 2; }));
    processEventsFor(100ms);
    notifications.deliver("other", "T", "B");
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 3; }));

    const auto& first = server.calls[0];
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.summary, "Ondrel needs Accessibility access");
    EXPECT_EQ(first.body, "one");
    EXPECT_EQ(server.calls[1].replacesId, 1u);
    EXPECT_EQ(server.calls[1].body, "two");
    EXPECT_EQ(server.calls[2].replacesId, 0u);
}

TEST_F(DBusUserNotificationsTest, DeliveriesWhileTheServerThinksBecomeOneReplacement)
{
    FakeNotificationServer server;
    server.holdReplies = true;
    QDBusConnection serverConnection = serve(server);
    DBusUserNotifications notifications(connect(QStringLiteral("client")));

    notifications.deliver("id", "T", "first");
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 1; }));
    notifications.deliver("id", "T", "second");
    notifications.deliver("id", "T", "third");
    processEventsFor(100ms);
    EXPECT_EQ(server.calls.size(), 1u);

    server.holdReplies = false;
    server.releaseReplies(serverConnection);
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 2; }));
    EXPECT_EQ(server.calls[1].body, "third");
    EXPECT_EQ(server.calls[1].replacesId, 1u);
    processEventsFor(100ms);
    EXPECT_EQ(server.calls.size(), 2u);
}

TEST_F(DBusUserNotificationsTest, WithoutAServerOrABusLogsOnceAndCarriesOn)
{
    QtLogCapture log;
    {
        DBusUserNotifications notifications(connect(QStringLiteral("client")));
        notifications.deliver("id", "T", "1");
        ASSERT_TRUE(processEventsUntil([&] { return log.lines().size() == 1; }));
        notifications.deliver("id", "T", "2");
        notifications.deliver("other", "T", "3");
        processEventsFor(200ms);
    }
    EXPECT_EQ(log.lines().size(), 1);

    DBusUserNotifications nowhere(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "nowhere"));
    nowhere.deliver("id", "T", "1");
    nowhere.deliver("id", "T", "2");
    EXPECT_EQ(log.lines().size(), 2);
    QDBusConnection::disconnectFromBus("nowhere");
}

} // namespace
