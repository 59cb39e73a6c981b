#include "SingleInstance.h"

#include "AppLog.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <QVariantMap>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace ondrel::app {

namespace {

constexpr int activateTimeoutMs = 5000;

// The session-bus face of the first instance: a later process calls Activate.
class ApplicationAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    ApplicationAdaptor(SingleInstance& instance)
        : QDBusAbstractAdaptor(&instance), m_instance(instance)
    {}

public Q_SLOTS:
    void Activate(const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        m_instance.activate();
    }

private:
    SingleInstance& m_instance;
};

} // namespace

// The lock file in $XDG_RUNTIME_DIR, held open (and locked) while this instance runs.
struct SingleInstance::Lock
{
    int fd = -1;
    ~Lock()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

SingleInstance::SingleInstance(std::function<void()> onActivate)
    : m_onActivate(std::move(onActivate))
{}

SingleInstance::~SingleInstance() = default;

SingleInstance::Outcome SingleInstance::claim()
{
    if (QDBusConnection::sessionBus().isConnected())
        return claimOnBus();
    return claimLock();
}

void SingleInstance::activate()
{
    if (m_onActivate)
        m_onActivate();
}

SingleInstance::Outcome SingleInstance::claimOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The object is there before the name, so a later process never calls into nothing.
    new ApplicationAdaptor(*this);
    if (!bus.registerObject(QString::fromLatin1(objectPath), this))
        qCWarning(appLog) << "cannot export" << objectPath << bus.lastError().message();
    const auto reply = bus.interface()->registerService(
        QString::fromLatin1(busName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        // Unknown whether another instance runs; running is better than leaving the user
        // with nothing.
        qCWarning(appLog) << "cannot claim" << busName
                          << "on the session bus:" << reply.error().message();
        return Outcome::claimed;
    }
    if (reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Outcome::claimed;

    bus.unregisterObject(QString::fromLatin1(objectPath));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(busName), QString::fromLatin1(objectPath),
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    call << QVariantMap();
    const QDBusMessage answer = bus.call(call, QDBus::Block, activateTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return Outcome::activatedOther;
    m_error = answer.errorMessage();
    return Outcome::failed;
}

SingleInstance::Outcome SingleInstance::claimLock()
{
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (!runtimeDir || runtimeDir[0] != '/') {
        qCWarning(appLog) << "no session bus and no XDG_RUNTIME_DIR: cannot tell whether "
                             "Ondrel already runs";
        return Outcome::claimed;
    }
    const std::string path = std::string(runtimeDir) + "/ondrel.lock";
    auto lock = std::make_unique<Lock>();
    lock->fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock->fd < 0) {
        qCWarning(appLog) << "cannot open" << path.c_str() << std::strerror(errno);
        return Outcome::claimed;
    }
    if (::flock(lock->fd, LOCK_EX | LOCK_NB) == 0) {
        const std::string pid = std::to_string(::getpid());
        if (::ftruncate(lock->fd, 0) != 0 ||
            ::pwrite(lock->fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size()))
            qCWarning(appLog) << "cannot write" << path.c_str() << std::strerror(errno);
        m_lock = std::move(lock);
        return Outcome::claimed;
    }
    // The holder writes its pid right after locking; give it a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        char buffer[32] = {};
        const ssize_t length = ::pread(lock->fd, buffer, sizeof buffer - 1, 0);
        const long pid = length > 0 ? std::strtol(buffer, nullptr, 10) : 0;
        if (pid > 0) {
            if (::kill(static_cast<pid_t>(pid), SIGUSR1) == 0)
                return Outcome::activatedOther;
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return Outcome::failed;
        }
        QThread::msleep(20);
    }
    m_error = QStringLiteral("the running instance did not say who it is");
    return Outcome::failed;
}

} // namespace ondrel::app

#include "SingleInstance.moc"
