#pragma once

#include <QJsonDocument>
#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace ondrel::platform::wayland {

// sway's IPC socket ($SWAYSOCK): blocking requests on one connection (thread-safe, each with a
// deadline), and events on another, read from the Qt event loop.
class SwayIpc final
{
public:
    enum class Message : std::uint32_t
    {
        runCommand = 0,
        subscribe = 2,
        getTree = 4,
        getVersion = 7,
        getConfig = 9,
    };

    /// Uses the socket at path; nothing is opened until the first request.
    explicit SwayIpc(std::string path);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    /// Sends one message and waits for its reply; none on any failure or after the deadline.
    std::optional<QJsonDocument> request(Message type, const std::string& payload = {});
    /// Runs sway commands; the error text of the first that failed, or none when all ran.
    std::optional<std::string> runCommand(const std::string& command);

    /// Subscribes to binding and workspace events and calls back on the main thread: each
    /// binding's command as sway ran it, and after every configuration reload.
    bool subscribe(std::function<void(const std::string& command)> onBinding,
                   std::function<void()> onReload);

private:
    struct Events;

    std::string m_path;
    std::mutex m_mutex;
    int m_socket = -1; // guarded by m_mutex
    std::chrono::milliseconds m_deadline{1000};
    std::unique_ptr<Events> m_events;
};

} // namespace ondrel::platform::wayland
