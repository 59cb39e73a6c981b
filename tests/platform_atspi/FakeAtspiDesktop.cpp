#include "FakeAtspiDesktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutexLocker>

#include <atomic>

namespace ondrel::test {
namespace {

struct ObjectReference
{
    QString service;
    QDBusObjectPath path;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ObjectReference& reference)
{
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ObjectReference& reference)
{
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}

const QString accessiblePrefix = QStringLiteral("/org/a11y/atspi/accessible/");

QString uniqueName(const char* purpose)
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("fake-atspi-%1-%2").arg(QLatin1String(purpose)).arg(++counter);
}

} // namespace
} // namespace ondrel::test

Q_DECLARE_METATYPE(ondrel::test::ObjectReference)

namespace ondrel::test {

FakeTree& FakeTree::add(const QString& id, FakeNode node, const QString& parent)
{
    nodes[id] = std::move(node);
    if (!parent.isEmpty()) {
        nodes[parent].children.push_back(id);
    }
    return *this;
}

// Receives every call on one connection and answers it from the desktop's script: the launcher
// and the registry on the desktop's own connection (no application), one application's tree on
// each of the others.
class FakeServiceObject final : public QDBusVirtualObject
{
public:
    FakeServiceObject(FakeAtspiDesktop& desktop, std::optional<std::size_t> application)
        : m_desktop(desktop), m_application(application)
    {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        bool leave = false;
        std::optional<QDBusMessage> reply;
        {
            QMutexLocker lock(&m_desktop.m_mutex);
            reply = m_application ? m_desktop.answerApplication(*m_application, message, leave)
                                  : m_desktop.answerDesktop(message);
        }
        if (leave) {
            QDBusConnection::disconnectFromBus(connection.name());
        } else if (reply) {
            connection.send(*reply);
        }
        return true;
    }

private:
    FakeAtspiDesktop& m_desktop;
    std::optional<std::size_t> m_application;
};

QDBusMessage FakeAtspiDesktop::answerDesktop(const QDBusMessage& message)
{
    const auto arguments = message.arguments();
    const auto is = [&](const char* member) { return message.member() == QLatin1String(member); };
    if (is("GetAddress")) {
        return message.createReply(address());
    }
    if (is("GetChildren")) {
        QList<ObjectReference> applications;
        for (const auto& service : m_registryServices) {
            applications.append({service, QDBusObjectPath(accessiblePrefix + "root")});
        }
        return message.createReply(QVariant::fromValue(applications));
    }
    if (arguments.value(1).toString() == QLatin1String("IsEnabled")) {
        if (is("Get")) {
            return message.createReply(QVariant::fromValue(QDBusVariant(m_enabled)));
        }
        if (is("Set") && arguments.size() == 3) {
            ++m_enableRequests;
            m_enabled = arguments[2].value<QDBusVariant>().variant().toBool();
            return message.createReply();
        }
    }
    return message.createErrorReply(QDBusError::UnknownMethod, message.member());
}

std::optional<QDBusMessage>
FakeAtspiDesktop::answerApplication(std::size_t index, const QDBusMessage& message, bool& leave)
{
    auto& application = *m_applications.at(index);
    const auto& behaviour = application.tree.behaviour;
    const auto member = message.member();
    const auto is = [&](const char* name) { return member == QLatin1String(name); };
    const auto id = message.path().mid(accessiblePrefix.size());
    ++application.calls[id + '.' + member];
    leave = member == behaviour.exitOn;
    if (leave || member == behaviour.hangOn) {
        return std::nullopt;
    }
    if (member == behaviour.malformedOn) {
        return message.createReply(QVariant::fromValue(42));
    }
    const auto found = application.tree.nodes.find(id);
    if (!message.path().startsWith(accessiblePrefix) || found == application.tree.nodes.end()) {
        return message.createErrorReply(QDBusError::UnknownObject, message.path());
    }
    const auto& node = found->second;
    const bool root = id == QLatin1String("root");
    const bool accessible = message.interface() == QLatin1String("org.a11y.atspi.Accessible");
    if (is("GetChildren")) {
        QList<ObjectReference> children;
        // Asleep, the application lists no children until its attributes are read, and then
        // not for emptyAfterWake more calls.
        if (!root || !behaviour.asleep || (application.woken && application.emptyAnswers-- <= 0)) {
            for (const auto& child : node.children) {
                children.append({application.service, QDBusObjectPath(accessiblePrefix + child)});
            }
        }
        return message.createReply(QVariant::fromValue(children));
    }
    if (is("GetRole")) {
        return message.createReply(node.role);
    }
    if (is("GetRoleName")) {
        return message.createReply(node.roleName);
    }
    if (is("GetState")) {
        return message.createReply(QVariant::fromValue(QList<uint>{
            static_cast<uint>(node.states & 0xffffffffU), static_cast<uint>(node.states >> 32)}));
    }
    if (is("GetAttributes") && accessible) {
        if (root && !application.woken) {
            application.woken = true;
            application.emptyAnswers = behaviour.emptyAfterWake;
        }
        return message.createReply(QVariant::fromValue(QMap<QString, QString>{}));
    }
    if (is("GetAttributes") && node.document) {
        return message.createReply(QVariant::fromValue(*node.document));
    }
    if (is("GetText") && node.text) {
        return message.createReply(*node.text);
    }
    if (is("Get") && message.arguments().value(1).toString() == QLatin1String("Name")) {
        return message.createReply(QVariant::fromValue(QDBusVariant(node.name)));
    }
    return message.createErrorReply(QDBusError::UnknownMethod, member);
}

FakeAtspiDesktop::FakeAtspiDesktop(Options options) : m_options(options), m_enabled(options.enabled)
{
    static const bool registered = [] {
        qDBusRegisterMetaType<ObjectReference>();
        qDBusRegisterMetaType<QList<ObjectReference>>();
        qDBusRegisterMetaType<QMap<QString, QString>>();
        return true;
    }();
    (void)registered;
    m_thread.start();
    m_desktopConnection = uniqueName("desktop");
    auto connection = QDBusConnection::connectToBus(address(), m_desktopConnection);
    m_desktopObject = std::make_unique<FakeServiceObject>(*this, std::nullopt);
    // Registered before the move, so what QtDBus attaches to the object moves along.
    connection.registerVirtualObject("/", m_desktopObject.get(), QDBusConnection::SubPath);
    m_desktopObject->moveToThread(&m_thread);
    if (m_options.launcher) {
        connection.registerService("org.a11y.Bus");
    }
    if (m_options.registry) {
        connection.registerService("org.a11y.atspi.Registry");
    }
}

FakeAtspiDesktop::~FakeAtspiDesktop()
{
    // QtDBus closes a connection later, on its own thread, and then still touches the objects
    // registered on it; unregistering first keeps that from reaching the objects freed below.
    for (const auto& application : m_applications) {
        QDBusConnection(application->connectionName).unregisterObject("/org/a11y/atspi/accessible");
        QDBusConnection::disconnectFromBus(application->connectionName);
    }
    QDBusConnection(m_desktopConnection).unregisterObject("/");
    QDBusConnection::disconnectFromBus(m_desktopConnection);
    m_thread.quit();
    m_thread.wait();
}

void FakeAtspiDesktop::addApplication(FakeTree tree)
{
    auto application = std::make_unique<Application>();
    application->connectionName = uniqueName("application");
    application->tree = std::move(tree);
    auto connection = QDBusConnection::connectToBus(address(), application->connectionName);
    application->service = connection.baseService();
    application->object = std::make_unique<FakeServiceObject>(*this, m_applications.size());
    connection.registerVirtualObject("/org/a11y/atspi/accessible", application->object.get(),
                                     QDBusConnection::SubPath);
    application->object->moveToThread(&m_thread);
    QMutexLocker lock(&m_mutex);
    m_registryServices.push_back(application->service);
    m_applications.push_back(std::move(application));
}

void FakeAtspiDesktop::addVanishedApplication()
{
    QMutexLocker lock(&m_mutex);
    m_registryServices.push_back(":1.99999");
}

void FakeAtspiDesktop::update(std::size_t application, const std::function<void(FakeTree&)>& change)
{
    QMutexLocker lock(&m_mutex);
    change(m_applications.at(application)->tree);
}

int FakeAtspiDesktop::enableRequests() const
{
    QMutexLocker lock(&m_mutex);
    return m_enableRequests;
}

int FakeAtspiDesktop::calls(std::size_t application, const QString& method) const
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_applications.at(application)->calls.find(method);
    return found == m_applications.at(application)->calls.end() ? 0 : found->second;
}

} // namespace ondrel::test
