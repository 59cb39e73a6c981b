#include "platform/freedesktop/AtspiBus.h"

#include <QDBusArgument>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace ondrel::platform::freedesktop {

namespace {

const QString launcherService = QStringLiteral("org.a11y.Bus");
const QString launcherPath = QStringLiteral("/org/a11y/bus");
const QString statusInterface = QStringLiteral("org.a11y.Status");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString registryService = QStringLiteral("org.a11y.atspi.Registry");
const QString registryRootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString documentInterface = QStringLiteral("org.a11y.atspi.Document");
const QString textInterface = QStringLiteral("org.a11y.atspi.Text");
const QString collectionInterface = QStringLiteral("org.a11y.atspi.Collection");
const QString nullObjectPath = QStringLiteral("/org/a11y/atspi/null");

// Collection match types and sort order, as in atspi-constants.h.
constexpr int matchAll = 1;
constexpr int matchAny = 2;
constexpr std::uint32_t sortCanonical = 1;

QString uniqueConnectionName(const char* purpose)
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("ondrel-atspi-%1-%2").arg(QLatin1String(purpose)).arg(++counter);
}

// The replies' signatures are checked before any of these run, so the reads cannot go astray.
std::vector<AtspiObject> readObjects(const QVariant& value)
{
    std::vector<AtspiObject> objects;
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        AtspiObject object{service, path.path()};
        if (!object.isNull()) {
            objects.push_back(std::move(object));
        }
    }
    argument.endArray();
    return objects;
}

QMap<QString, QString> readStringMap(const QVariant& value)
{
    QMap<QString, QString> map;
    const auto argument = value.value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QString key;
        QString entry;
        argument.beginMapEntry();
        argument >> key >> entry;
        argument.endMapEntry();
        map.insert(key, entry);
    }
    argument.endMap();
    return map;
}

std::vector<std::uint32_t> readUintArray(const QVariant& value)
{
    std::vector<std::uint32_t> words;
    if (value.canConvert<QDBusArgument>()) {
        const auto argument = value.value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            std::uint32_t word = 0;
            argument >> word;
            words.push_back(word);
        }
        argument.endArray();
    } else {
        for (const auto& word : value.value<QList<uint>>()) {
            words.push_back(word);
        }
    }
    return words;
}

// Bit sets travel as arrays of 32-bit words, lowest bits first.
template <typename T>
QList<int> bitWords(const std::vector<T>& bits, std::size_t minimumWords)
{
    QList<int> words(static_cast<qsizetype>(minimumWords), 0);
    for (const auto bit : bits) {
        const auto index = static_cast<qsizetype>(bit) / 32;
        while (words.size() <= index) {
            words.append(0);
        }
        words[index] = static_cast<int>(static_cast<std::uint32_t>(words[index]) |
                                        (1U << (static_cast<unsigned>(bit) % 32)));
    }
    return words;
}

} // namespace

// The launcher's announcements of IsEnabled, followed on the thread that made this.
class AtspiStatusWatch final : public QObject
{
    Q_OBJECT

public:
    explicit AtspiStatusWatch(const QDBusConnection& bus)
        : m_bus(bus), m_launcher(launcherService, bus, QDBusServiceWatcher::WatchForOwnerChange)
    {
        m_subscribed = m_bus.connect(launcherService, launcherPath, propertiesInterface,
                                     QStringLiteral("PropertiesChanged"), this,
                                     SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        // A launcher that restarts starts from its own setting.
        QObject::connect(&m_launcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                         [this] { enabled.reset(); });
    }

    bool follows() const { return m_subscribed && m_bus.isConnected(); }

    std::optional<bool> enabled;

private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated)
    {
        if (interface != statusInterface) {
            return;
        }
        const auto name = QStringLiteral("IsEnabled");
        auto value = changed.value(name);
        if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
            value = value.value<QDBusVariant>().variant();
        }
        if (value.metaType() == QMetaType::fromType<bool>()) {
            enabled = value.toBool();
        } else if (changed.contains(name) || invalidated.contains(name)) {
            enabled.reset(); // asked afresh next time
        }
    }

private:
    QDBusConnection m_bus;
    QDBusServiceWatcher m_launcher;
    bool m_subscribed = false;
};

bool AtspiObject::isNull() const
{
    return service.isEmpty() || path.isEmpty() || path == nullObjectPath;
}

AtspiDeadline::AtspiDeadline(std::chrono::milliseconds budget, std::chrono::milliseconds perCall)
    : m_end(std::chrono::steady_clock::now() + budget), m_perCall(perCall)
{}

bool AtspiDeadline::expired() const
{
    return std::chrono::steady_clock::now() >= m_end;
}

std::chrono::milliseconds AtspiDeadline::remaining() const
{
    const auto left = m_end - std::chrono::steady_clock::now();
    return std::max(std::chrono::milliseconds{0},
                    std::chrono::duration_cast<std::chrono::milliseconds>(left));
}

int AtspiDeadline::callTimeoutMs() const
{
    const auto timeout = std::min(remaining(), m_perCall);
    return std::max(1, static_cast<int>(timeout.count()));
}

AtspiBus::AtspiBus() : AtspiBus(Options{}) {}

AtspiBus::AtspiBus(Options options) : m_options(std::move(options)) {}

AtspiBus::~AtspiBus()
{
    m_statusWatch.reset();
    if (!m_accessibilityName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_accessibilityName);
    }
    if (!m_sessionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_sessionName);
    }
}

std::optional<QDBusConnection> AtspiBus::sessionBus()
{
    if (m_options.sessionBusAddress.isEmpty()) {
        auto bus = QDBusConnection::sessionBus();
        return bus.isConnected() ? std::optional{bus} : std::nullopt;
    }
    std::lock_guard lock(m_sessionMutex);
    if (m_sessionConnected && QDBusConnection(m_sessionName).isConnected()) {
        return QDBusConnection(m_sessionName);
    }
    if (!m_sessionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_sessionName);
    }
    m_sessionName = uniqueConnectionName("session");
    auto bus = QDBusConnection::connectToBus(m_options.sessionBusAddress, m_sessionName);
    m_sessionConnected = bus.isConnected();
    return m_sessionConnected ? std::optional{bus} : std::nullopt;
}

std::optional<bool> AtspiBus::isEnabled(int timeoutMs)
{
    const auto bus = sessionBus();
    if (!bus) {
        return std::nullopt;
    }
    auto message = QDBusMessage::createMethodCall(launcherService, launcherPath,
                                                  propertiesInterface, QStringLiteral("Get"));
    message.setArguments({statusInterface, QStringLiteral("IsEnabled")});
    const auto reply = bus->call(message, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("v")) {
        return std::nullopt;
    }
    const auto value = reply.arguments().at(0).value<QDBusVariant>().variant();
    if (value.metaType() != QMetaType::fromType<bool>()) {
        return std::nullopt;
    }
    return value.toBool();
}

std::optional<bool> AtspiBus::followedIsEnabled(int timeoutMs)
{
    // Without a running event loop no announcement would ever arrive.
    if (QThread::currentThread()->loopLevel() == 0) {
        return isEnabled(timeoutMs);
    }
    if (!m_statusWatch || !m_statusWatch->follows()) {
        const auto bus = sessionBus();
        if (!bus) {
            return std::nullopt;
        }
        // Listening before asking: a change after the answer is announced to us.
        m_statusWatch = std::make_unique<AtspiStatusWatch>(*bus);
    }
    if (m_statusWatch->thread() != QThread::currentThread() || !m_statusWatch->follows()) {
        return isEnabled(timeoutMs);
    }
    if (!m_statusWatch->enabled) {
        m_statusWatch->enabled = isEnabled(timeoutMs);
    }
    return m_statusWatch->enabled;
}

std::optional<QString> AtspiBus::setEnabled(bool enabled, int timeoutMs)
{
    const auto bus = sessionBus();
    if (!bus) {
        return QStringLiteral("the session bus is not available");
    }
    auto message = QDBusMessage::createMethodCall(launcherService, launcherPath,
                                                  propertiesInterface, QStringLiteral("Set"));
    message.setArguments(
        {statusInterface, QStringLiteral("IsEnabled"), QVariant::fromValue(QDBusVariant(enabled))});
    const auto reply = bus->call(message, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    }
    if (m_statusWatch && m_statusWatch->thread() == QThread::currentThread()) {
        m_statusWatch->enabled.reset(); // the announcement may still be on its way
    }
    return std::nullopt;
}

std::optional<QString> AtspiBus::accessibilityBusAddress(int timeoutMs)
{
    // The variable wins, as for every AT-SPI client; otherwise the launcher tells.
    if (const char* address = std::getenv("AT_SPI_BUS_ADDRESS"); address && *address) {
        return QString::fromLocal8Bit(address);
    }
    const auto bus = sessionBus();
    if (!bus) {
        return std::nullopt;
    }
    const auto message = QDBusMessage::createMethodCall(
        launcherService, launcherPath, launcherService, QStringLiteral("GetAddress"));
    const auto reply = bus->call(message, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("s")) {
        return std::nullopt;
    }
    auto address = reply.arguments().at(0).toString();
    return address.isEmpty() ? std::nullopt : std::optional{address};
}

std::optional<QDBusConnection> AtspiBus::accessibilityBus(const AtspiDeadline& deadline)
{
    std::lock_guard lock(m_accessibilityMutex);
    if (m_accessibilityConnected && QDBusConnection(m_accessibilityName).isConnected()) {
        return QDBusConnection(m_accessibilityName);
    }
    // First use, or the bus went away (the launcher restarted): start over.
    if (!m_accessibilityName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_accessibilityName);
    }
    m_accessibilityConnected = false;
    {
        std::lock_guard cacheLock(m_cacheMutex);
        m_processIds.clear();
    }
    const auto address = accessibilityBusAddress(deadline.callTimeoutMs());
    if (!address) {
        return std::nullopt;
    }
    m_accessibilityName = uniqueConnectionName("a11y");
    auto bus = QDBusConnection::connectToBus(*address, m_accessibilityName);
    m_accessibilityConnected = bus.isConnected();
    return m_accessibilityConnected ? std::optional{bus} : std::nullopt;
}

std::optional<QVariant> AtspiBus::call(const AtspiObject& object, const QString& interface,
                                       const QString& method, const QVariantList& arguments,
                                       const char* replySignature, const AtspiDeadline& deadline)
{
    return send(object, interface, method, arguments, replySignature, deadline)();
}

std::function<std::optional<QVariant>()>
AtspiBus::send(const AtspiObject& object, const QString& interface, const QString& method,
               const QVariantList& arguments, const char* replySignature,
               const AtspiDeadline& deadline)
{
    const auto none = []() -> std::optional<QVariant> { return std::nullopt; };
    if (object.isNull() || deadline.expired()) {
        return none;
    }
    const auto bus = accessibilityBus(deadline);
    if (!bus || deadline.expired()) {
        return none;
    }
    auto message = QDBusMessage::createMethodCall(object.service, object.path, interface, method);
    message.setArguments(arguments);
    // The call's own timeout bounds the wait: a reply that is late comes back as an error.
    QDBusPendingCall pending = bus->asyncCall(message, deadline.callTimeoutMs());
    return [pending,
            signature = QString::fromLatin1(replySignature)]() mutable -> std::optional<QVariant> {
        pending.waitForFinished();
        const QDBusMessage reply = pending.reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != signature) {
            return std::nullopt;
        }
        return reply.arguments().at(0);
    };
}

std::optional<std::vector<AtspiObject>> AtspiBus::applications(const AtspiDeadline& deadline)
{
    auto applications = children(AtspiObject{registryService, registryRootPath}, deadline);
    if (applications) {
        // Forget the applications that have gone, so a long session does not collect them.
        std::lock_guard lock(m_cacheMutex);
        std::erase_if(m_processIds, [&](const auto& entry) {
            return std::none_of(applications->begin(), applications->end(),
                                [&](const AtspiObject& app) { return app.service == entry.first; });
        });
    }
    return applications;
}

std::optional<std::int64_t> AtspiBus::processId(const QString& service,
                                                const AtspiDeadline& deadline)
{
    {
        std::lock_guard lock(m_cacheMutex);
        if (const auto known = m_processIds.find(service); known != m_processIds.end()) {
            return known->second;
        }
    }
    const AtspiObject daemon{QStringLiteral("org.freedesktop.DBus"),
                             QStringLiteral("/org/freedesktop/DBus")};
    const auto reply = call(daemon, QStringLiteral("org.freedesktop.DBus"),
                            QStringLiteral("GetConnectionUnixProcessID"), {service}, "u", deadline);
    if (!reply) {
        return std::nullopt;
    }
    const std::int64_t pid = reply->toUInt();
    // Only unique names are stable; a well-known name may change hands.
    if (service.startsWith(QLatin1Char(':'))) {
        std::lock_guard lock(m_cacheMutex);
        m_processIds.emplace(service, pid);
    }
    return pid;
}

std::optional<std::vector<AtspiObject>> AtspiBus::children(const AtspiObject& object,
                                                           const AtspiDeadline& deadline)
{
    const auto value =
        call(object, accessibleInterface, QStringLiteral("GetChildren"), {}, "a(so)", deadline);
    if (!value) {
        return std::nullopt;
    }
    return readObjects(*value);
}

std::optional<std::uint32_t> AtspiBus::role(const AtspiObject& object,
                                            const AtspiDeadline& deadline)
{
    const auto value =
        call(object, accessibleInterface, QStringLiteral("GetRole"), {}, "u", deadline);
    if (!value) {
        return std::nullopt;
    }
    return value->toUInt();
}

std::optional<QString> AtspiBus::roleName(const AtspiObject& object, const AtspiDeadline& deadline)
{
    const auto value =
        call(object, accessibleInterface, QStringLiteral("GetRoleName"), {}, "s", deadline);
    if (!value) {
        return std::nullopt;
    }
    return value->toString();
}

std::optional<AtspiStates> AtspiBus::states(const AtspiObject& object,
                                            const AtspiDeadline& deadline)
{
    return statesLater(object, deadline).get();
}

AtspiLater<AtspiStates> AtspiBus::statesLater(const AtspiObject& object,
                                              const AtspiDeadline& deadline)
{
    auto reply = send(object, accessibleInterface, QStringLiteral("GetState"), {}, "au", deadline);
    return AtspiLater<AtspiStates>([reply = std::move(reply)]() -> std::optional<AtspiStates> {
        const auto value = reply();
        if (!value) {
            return std::nullopt;
        }
        const auto words = readUintArray(*value);
        AtspiStates states = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(words.size(), 2); ++i) {
            states |= static_cast<AtspiStates>(words[i]) << (32 * i);
        }
        return states;
    });
}

std::optional<QString> AtspiBus::name(const AtspiObject& object, const AtspiDeadline& deadline)
{
    const auto reply = call(object, propertiesInterface, QStringLiteral("Get"),
                            {accessibleInterface, QStringLiteral("Name")}, "v", deadline);
    if (!reply) {
        return std::nullopt;
    }
    const auto value = reply->value<QDBusVariant>().variant();
    if (value.metaType() != QMetaType::fromType<QString>()) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<QMap<QString, QString>> AtspiBus::attributes(const AtspiObject& object,
                                                           const AtspiDeadline& deadline)
{
    const auto value =
        call(object, accessibleInterface, QStringLiteral("GetAttributes"), {}, "a{ss}", deadline);
    if (!value) {
        return std::nullopt;
    }
    return readStringMap(*value);
}

std::optional<QMap<QString, QString>> AtspiBus::documentAttributes(const AtspiObject& object,
                                                                   const AtspiDeadline& deadline)
{
    return documentAttributesLater(object, deadline).get();
}

AtspiLater<QMap<QString, QString>> AtspiBus::documentAttributesLater(const AtspiObject& object,
                                                                     const AtspiDeadline& deadline)
{
    auto reply =
        send(object, documentInterface, QStringLiteral("GetAttributes"), {}, "a{ss}", deadline);
    return AtspiLater<QMap<QString, QString>>(
        [reply = std::move(reply)]() -> std::optional<QMap<QString, QString>> {
            const auto value = reply();
            if (!value) {
                return std::nullopt;
            }
            return readStringMap(*value);
        });
}

std::optional<QString> AtspiBus::text(const AtspiObject& object, const AtspiDeadline& deadline)
{
    // An end offset of -1 means "to the end of the text".
    const auto value =
        call(object, textInterface, QStringLiteral("GetText"), {0, -1}, "s", deadline);
    if (!value) {
        return std::nullopt;
    }
    return value->toString();
}

std::optional<std::vector<AtspiObject>> AtspiBus::matches(const AtspiObject& object,
                                                          const AtspiMatchRule& rule, int count,
                                                          const AtspiDeadline& deadline)
{
    // The match rule (aiia{ss}iaiiasib): states, attributes, roles, interfaces, each with its
    // match type, then "invert". Empty attribute and interface sets with "all" match anything;
    // Firefox honours roles only with "any".
    QDBusArgument matchRule;
    matchRule.beginStructure();
    matchRule << bitWords(rule.states, 2) << matchAll << QMap<QString, QString>{} << matchAll
              << bitWords(rule.roles, 4) << matchAny << QStringList{} << matchAll << false;
    matchRule.endStructure();
    const auto value =
        call(object, collectionInterface, QStringLiteral("GetMatches"),
             {QVariant::fromValue(matchRule), sortCanonical, count, true}, "a(so)", deadline);
    if (!value) {
        return std::nullopt;
    }
    return readObjects(*value);
}

} // namespace ondrel::platform::freedesktop

#include "AtspiBus.moc"
