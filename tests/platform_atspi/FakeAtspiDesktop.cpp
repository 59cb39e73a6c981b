#include "FakeAtspiDesktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutexLocker>

#include <atomic>
#include <optional>

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

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<ObjectReference>();
        qDBusRegisterMetaType<QList<ObjectReference>>();
        qDBusRegisterMetaType<QMap<QString, QString>>();
        return true;
    }();
    (void)registered;
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

// Receives every call for one object tree and answers it from the desktop's script.
class FakeServiceObject final : public QDBusVirtualObject
{
public:
    enum class Kind
    {
        launcher,
        registry,
        application
    };

    FakeServiceObject(FakeAtspiDesktop& desktop, Kind kind, std::size_t application = 0)
        : m_desktop(desktop), m_kind(kind), m_application(application)
    {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        std::optional<QDBusMessage> reply;
        bool leave = false;
        {
            QMutexLocker lock(&m_desktop.m_mutex);
            switch (m_kind) {
            case Kind::launcher:
                reply = answerLauncher(message);
                break;
            case Kind::registry:
                reply = answerRegistry(message);
                break;
            case Kind::application:
                reply = answerApplication(message, leave);
                break;
            }
        }
        if (leave) {
            QDBusConnection::disconnectFromBus(connection.name());
            return true;
        }
        if (reply) {
            connection.send(*reply);
        }
        return true;
    }

private:
    static QDBusMessage unknownMethod(const QDBusMessage& message)
    {
        return message.createErrorReply(QDBusError::UnknownMethod, message.member());
    }

    QDBusMessage answerLauncher(const QDBusMessage& message)
    {
        const auto arguments = message.arguments();
        if (message.member() == QLatin1String("GetAddress")) {
            return message.createReply(m_desktop.m_bus.address());
        }
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") &&
            arguments.size() >= 2 && arguments[0].toString() == QLatin1String("org.a11y.Status") &&
            arguments[1].toString() == QLatin1String("IsEnabled")) {
            if (message.member() == QLatin1String("Get")) {
                return message.createReply(QVariant::fromValue(QDBusVariant(m_desktop.m_enabled)));
            }
            if (message.member() == QLatin1String("Set") && arguments.size() == 3) {
                ++m_desktop.m_enableRequests;
                m_desktop.m_enabled = arguments[2].value<QDBusVariant>().variant().toBool();
                return message.createReply();
            }
        }
        return unknownMethod(message);
    }

    QDBusMessage answerRegistry(const QDBusMessage& message)
    {
        if (message.member() != QLatin1String("GetChildren")) {
            return unknownMethod(message);
        }
        QList<ObjectReference> applications;
        for (const auto& service : m_desktop.m_registryServices) {
            applications.append({service, QDBusObjectPath(accessiblePrefix + "root")});
        }
        return message.createReply(QVariant::fromValue(applications));
    }

    QList<ObjectReference> references(const FakeAtspiDesktop::Application& application,
                                      const std::vector<QString>& ids)
    {
        QList<ObjectReference> list;
        for (const auto& id : ids) {
            list.append({application.service, QDBusObjectPath(accessiblePrefix + id)});
        }
        return list;
    }

    std::optional<QDBusMessage> answerApplication(const QDBusMessage& message, bool& leave)
    {
        auto& application = *m_desktop.m_applications.at(m_application);
        const auto& behaviour = application.tree.behaviour;
        const auto member = message.member();
        const auto id = message.path().mid(accessiblePrefix.size());
        ++application.calls[id + '.' + member];
        if (member == behaviour.hangOn) {
            return std::nullopt;
        }
        if (member == behaviour.exitOn) {
            leave = true;
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
        const auto interface = message.interface();
        const auto arguments = message.arguments();

        if (interface == QLatin1String("org.a11y.atspi.Accessible")) {
            if (member == QLatin1String("GetChildren")) {
                if (id == QLatin1String("root") && behaviour.asleep &&
                    (!application.woken || application.emptyAnswers > 0)) {
                    if (application.woken) {
                        --application.emptyAnswers;
                    }
                    return message.createReply(QVariant::fromValue(QList<ObjectReference>{}));
                }
                return message.createReply(
                    QVariant::fromValue(references(application, node.children)));
            }
            if (member == QLatin1String("GetRole")) {
                return message.createReply(node.role);
            }
            if (member == QLatin1String("GetRoleName")) {
                return message.createReply(node.roleName);
            }
            if (member == QLatin1String("GetState")) {
                return message.createReply(
                    QVariant::fromValue(QList<uint>{static_cast<uint>(node.states & 0xffffffffU),
                                                    static_cast<uint>(node.states >> 32)}));
            }
            if (member == QLatin1String("GetAttributes")) {
                if (id == QLatin1String("root") && !application.woken) {
                    application.woken = true;
                    application.emptyAnswers = behaviour.emptyAfterWake;
                }
                return message.createReply(QVariant::fromValue(QMap<QString, QString>{}));
            }
        }
        if (interface == QLatin1String("org.freedesktop.DBus.Properties") &&
            member == QLatin1String("Get") && arguments.size() == 2 &&
            arguments[1].toString() == QLatin1String("Name")) {
            return message.createReply(QVariant::fromValue(QDBusVariant(node.name)));
        }
        if (interface == QLatin1String("org.a11y.atspi.Document") && node.document &&
            member == QLatin1String("GetAttributes")) {
            return message.createReply(QVariant::fromValue(*node.document));
        }
        if (interface == QLatin1String("org.a11y.atspi.Text") && node.text &&
            member == QLatin1String("GetText")) {
            return message.createReply(*node.text);
        }
        return unknownMethod(message);
    }

    FakeAtspiDesktop& m_desktop;
    Kind m_kind;
    std::size_t m_application;
};

FakeAtspiDesktop::FakeAtspiDesktop() : FakeAtspiDesktop(Options{}) {}

FakeAtspiDesktop::FakeAtspiDesktop(Options options) : m_options(options), m_enabled(options.enabled)
{
    registerTypes();
    m_thread.start();
    m_desktopConnection = uniqueName("desktop");
    auto connection = QDBusConnection::connectToBus(address(), m_desktopConnection);
    if (m_options.launcher) {
        m_launcherObject =
            std::make_unique<FakeServiceObject>(*this, FakeServiceObject::Kind::launcher);
        connection.registerVirtualObject(QStringLiteral("/org/a11y/bus"), m_launcherObject.get());
        m_launcherObject->moveToThread(&m_thread);
        connection.registerService(QStringLiteral("org.a11y.Bus"));
    }
    if (m_options.registry) {
        m_registryObject =
            std::make_unique<FakeServiceObject>(*this, FakeServiceObject::Kind::registry);
        connection.registerVirtualObject(accessiblePrefix + "root", m_registryObject.get());
        m_registryObject->moveToThread(&m_thread);
        connection.registerService(QStringLiteral("org.a11y.atspi.Registry"));
    }
}

FakeAtspiDesktop::~FakeAtspiDesktop()
{
    for (const auto& application : m_applications) {
        QDBusConnection::disconnectFromBus(application->connectionName);
    }
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
    application->object = std::make_unique<FakeServiceObject>(
        *this, FakeServiceObject::Kind::application, m_applications.size());
    // Registered before the move, so what QtDBus attaches to the object moves along.
    connection.registerVirtualObject(QStringLiteral("/org/a11y/atspi/accessible"),
                                     application->object.get(), QDBusConnection::SubPath);
    application->object->moveToThread(&m_thread);
    QMutexLocker lock(&m_mutex);
    m_registryServices.push_back(application->service);
    m_applications.push_back(std::move(application));
}

void FakeAtspiDesktop::addVanishedApplication()
{
    QMutexLocker lock(&m_mutex);
    m_registryServices.push_back(QStringLiteral(":1.99999"));
}

void FakeAtspiDesktop::update(std::size_t application, const std::function<void(FakeTree&)>& change)
{
    QMutexLocker lock(&m_mutex);
    change(m_applications.at(application)->tree);
}

bool FakeAtspiDesktop::enabled() const
{
    QMutexLocker lock(&m_mutex);
    return m_enabled;
}

int FakeAtspiDesktop::enableRequests() const
{
    QMutexLocker lock(&m_mutex);
    return m_enableRequests;
}

int FakeAtspiDesktop::calls(std::size_t application, const QString& method) const
{
    QMutexLocker lock(&m_mutex);
    const auto& calls = m_applications.at(application)->calls;
    const auto found = calls.find(method);
    return found == calls.end() ? 0 : found->second;
}

} // namespace ondrel::test
