#include "SwayIpc.h"

#include "WaylandLog.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSocketNotifier>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace ondrel::platform::wayland {

namespace {

constexpr std::array<char, 6> kMagic{'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeaderSize = kMagic.size() + 2 * sizeof(std::uint32_t);
// Far above any real tree or config; a larger length means the stream is out of step.
constexpr std::uint32_t kMaximumPayload = 64u << 20;
constexpr std::uint32_t kEventBit = 0x80000000u;
constexpr std::uint32_t kWorkspaceEvent = kEventBit | 0;
constexpr std::uint32_t kBindingEvent = kEventBit | 5;

int connectTo(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::vector<char> frame(std::uint32_t type, const std::string& payload)
{
    std::vector<char> bytes(kMagic.begin(), kMagic.end());
    const auto length = static_cast<std::uint32_t>(payload.size());
    bytes.insert(bytes.end(), reinterpret_cast<const char*>(&length),
                 reinterpret_cast<const char*>(&length) + sizeof(length));
    bytes.insert(bytes.end(), reinterpret_cast<const char*>(&type),
                 reinterpret_cast<const char*>(&type) + sizeof(type));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

bool writeAll(int fd, const std::vector<char>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto written = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool readExactly(int fd, char* into, std::size_t size,
                 std::chrono::steady_clock::time_point deadline)
{
    std::size_t done = 0;
    while (done < size) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const auto got = ::read(fd, into + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

struct Frame
{
    std::uint32_t type = 0;
    QByteArray payload;
};

std::optional<Frame> readFrame(int fd, std::chrono::steady_clock::time_point deadline)
{
    std::array<char, kHeaderSize> header{};
    if (!readExactly(fd, header.data(), header.size(), deadline) ||
        !std::equal(kMagic.begin(), kMagic.end(), header.begin()))
        return std::nullopt;
    Frame result;
    std::uint32_t length = 0;
    std::memcpy(&length, header.data() + kMagic.size(), sizeof(length));
    std::memcpy(&result.type, header.data() + kMagic.size() + sizeof(length), sizeof(result.type));
    if (length > kMaximumPayload)
        return std::nullopt;
    result.payload.resize(static_cast<qsizetype>(length));
    if (!readExactly(fd, result.payload.data(), length, deadline))
        return std::nullopt;
    return result;
}

} // namespace

// The event connection: its own socket, read when the Qt loop says it is readable.
struct SwayIpc::Events
{
    int socket = -1;
    QObject context;
    QSocketNotifier* notifier = nullptr; // child of context
    std::function<void(const std::string&)> onBinding;
    std::function<void()> onReload;

    ~Events()
    {
        if (socket >= 0)
            ::close(socket);
    }

    void readOne()
    {
        // The header is there; a frame is small and sent whole, so a short wait suffices.
        const auto event =
            readFrame(socket, std::chrono::steady_clock::now() + std::chrono::milliseconds(500));
        if (!event) {
            qCWarning(waylandLog) << "sway's event connection closed; shortcuts stop working";
            notifier->setEnabled(false);
            ::close(socket);
            socket = -1;
            return;
        }
        const auto object = QJsonDocument::fromJson(event->payload).object();
        if (event->type == kBindingEvent) {
            const auto binding = object.value(QStringLiteral("binding")).toObject();
            if (onBinding)
                onBinding(binding.value(QStringLiteral("command")).toString().toStdString());
        } else if (event->type == kWorkspaceEvent &&
                   object.value(QStringLiteral("change")).toString() == QStringLiteral("reload")) {
            if (onReload)
                onReload();
        }
    }
};

SwayIpc::SwayIpc(std::string path) : m_path(std::move(path)) {}

SwayIpc::~SwayIpc()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

std::optional<QJsonDocument> SwayIpc::request(Message type, const std::string& payload)
{
    std::lock_guard lock(m_mutex);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_socket < 0)
            m_socket = connectTo(m_path);
        if (m_socket < 0)
            return std::nullopt;
        const auto deadline = std::chrono::steady_clock::now() + m_deadline;
        if (writeAll(m_socket, frame(static_cast<std::uint32_t>(type), payload))) {
            if (auto reply = readFrame(m_socket, deadline);
                reply && reply->type == static_cast<std::uint32_t>(type))
                return QJsonDocument::fromJson(reply->payload);
        }
        // A reply that never came would answer the next request: start on a new socket.
        ::close(m_socket);
        m_socket = -1;
    }
    return std::nullopt;
}

std::optional<std::string> SwayIpc::runCommand(const std::string& command)
{
    const auto reply = request(Message::runCommand, command);
    if (!reply)
        return "sway did not answer";
    for (const auto& value : reply->array()) {
        const auto result = value.toObject();
        if (!result.value(QStringLiteral("success")).toBool())
            return result.value(QStringLiteral("error")).toString().toStdString();
    }
    return std::nullopt;
}

bool SwayIpc::subscribe(std::function<void(const std::string&)> onBinding,
                        std::function<void()> onReload)
{
    auto events = std::make_unique<Events>();
    events->socket = connectTo(m_path);
    if (events->socket < 0)
        return false;
    const auto subscription =
        frame(static_cast<std::uint32_t>(Message::subscribe), R"(["binding","workspace"])");
    const auto reply =
        writeAll(events->socket, subscription)
            ? readFrame(events->socket, std::chrono::steady_clock::now() + m_deadline)
            : std::nullopt;
    if (!reply ||
        !QJsonDocument::fromJson(reply->payload).object().value(QStringLiteral("success")).toBool())
        return false;
    events->onBinding = std::move(onBinding);
    events->onReload = std::move(onReload);
    events->notifier = new QSocketNotifier(events->socket, QSocketNotifier::Read, &events->context);
    Events* raw = events.get();
    QObject::connect(events->notifier, &QSocketNotifier::activated, &events->context,
                     [raw] { raw->readOne(); });
    m_events = std::move(events);
    return true;
}

} // namespace ondrel::platform::wayland
