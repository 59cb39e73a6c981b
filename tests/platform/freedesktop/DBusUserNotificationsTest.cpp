#include "platform/freedesktop/DBusUserNotifications.h"
#include "PrivateBus.h"
#include "QtTestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <vector>

using namespace std::chrono_literals;
using ondrel::platform::freedesktop::DBusUserNotifications;
using ondrel::test::PrivateBus;
using ondrel::test::processEventsFor;
using ondrel::test::processEventsUntil;
using ondrel::test::QtLogCapture;

namespace {

// A notification server that records Notify calls and holds its replies back until released.
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

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        if (message.member() != QLatin1String("Notify") || message.arguments().size() != 8) {
            return false;
        }
        const QVariantList args = message.arguments();
        calls.push_back(Call{args[1].toUInt(), args[3].toString(), args[4].toString()});
        const uint id = calls.back().replacesId ? calls.back().replacesId : m_nextId++;
        m_held.push_back(message.createReply(QVariant::fromValue(id)));
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
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is not installed";
        }
        ASSERT_FALSE(m_bus.address().isEmpty());
    }

    void TearDown() override
    {
        QDBusConnection::disconnectFromBus("client");
        QDBusConnection::disconnectFromBus("server");
    }

    QDBusConnection connect(const QString& name)
    {
        return QDBusConnection::connectToBus(m_bus.address(), name);
    }

private:
    PrivateBus m_bus;
};

// The server's id of a notification is known only once it answered: deliveries meanwhile
// become one replacement with the newest content. Other identifiers do not wait.
TEST_F(DBusUserNotificationsTest, ReplacesTheEarlierNotificationWithTheSameIdentifier)
{
    FakeNotificationServer server;
    QDBusConnection serverConnection = connect("server");
    ASSERT_TRUE(serverConnection.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(serverConnection.registerVirtualObject("/org/freedesktop/Notifications", &server));
    DBusUserNotifications notifications(connect("client"));

    notifications.deliver("accessibility-required", "Ondrel needs Accessibility access", "one");
    notifications.deliver("other", "T", "B");
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 2; }));
    notifications.deliver("accessibility-required", "T", "two");
    notifications.deliver("accessibility-required", "T", "three");
    processEventsFor(100ms);
    EXPECT_EQ(server.calls.size(), 2u);

    server.releaseReplies(serverConnection);
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 3; }));
    server.releaseReplies(serverConnection);
    processEventsFor(100ms);
    notifications.deliver("accessibility-required", "T", "four");
    ASSERT_TRUE(processEventsUntil([&] { return server.calls.size() == 4; }));

    EXPECT_EQ(server.calls[0].replacesId, 0u);
    EXPECT_EQ(server.calls[0].summary, "Ondrel needs Accessibility access");
    EXPECT_EQ(server.calls[0].body, "one");
    EXPECT_EQ(server.calls[1].replacesId, 0u);
    EXPECT_EQ(server.calls[2].body, "three");
    EXPECT_EQ(server.calls[2].replacesId, 1u);
    EXPECT_EQ(server.calls[3].replacesId, 1u);
}

TEST_F(DBusUserNotificationsTest, WithoutAServerOrABusLogsOnceAndCarriesOn)
{
    QtLogCapture log;
    {
        DBusUserNotifications notifications(connect("client"));
        notifications.deliver("id", "T", "1");
        ASSERT_TRUE(processEventsUntil([&] { return log.lines().size() == 1; }));
        notifications.deliver("id", "T", "2");
        notifications.deliver("other", "T", "3");
        processEventsFor(200ms);
    }
    EXPECT_EQ(log.lines().size(), 1);

    DBusUserNotifications nowhere(
        QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "nowhere"));
    nowhere.deliver("id", "T", "1");
    nowhere.deliver("id", "T", "2");
    EXPECT_EQ(log.lines().size(), 2);
    QDBusConnection::disconnectFromBus("nowhere");
}

} // namespace
