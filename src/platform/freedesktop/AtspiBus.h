#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QString>
#include <QVariantList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace ondrel::platform::freedesktop {

class AtspiStatusWatch;

// One accessible object on the AT-SPI bus: the bus name of its owner and its object path.
struct AtspiObject
{
    QString service;
    QString path;

    bool isNull() const;
    bool operator==(const AtspiObject&) const = default;
};

// AT-SPI state bits (two 32-bit words on the wire), numbered as in atspi-constants.h.
using AtspiStates = std::uint64_t;

namespace AtspiState {
inline constexpr int active = 1;
inline constexpr int defunct = 6;
inline constexpr int editable = 7;
inline constexpr int focused = 12;
inline constexpr int showing = 25;
inline constexpr int visible = 30;
} // namespace AtspiState

namespace AtspiRole {
inline constexpr std::uint32_t comboBox = 11;
inline constexpr std::uint32_t dialog = 16;
inline constexpr std::uint32_t frame = 23;
inline constexpr std::uint32_t passwordText = 40;
inline constexpr std::uint32_t text = 61;
inline constexpr std::uint32_t window = 69;
inline constexpr std::uint32_t application = 75;
inline constexpr std::uint32_t entry = 79;
inline constexpr std::uint32_t documentWeb = 95;
} // namespace AtspiRole

constexpr bool hasState(AtspiStates states, int state)
{
    return (states >> state) & 1U;
}

// Bounds a whole look-up: no call starts after the end, and no single call may use more than
// its share, so one unresponsive application cannot hold the caller past the end.
class AtspiDeadline
{
public:
    AtspiDeadline(std::chrono::milliseconds budget, std::chrono::milliseconds perCall);

    bool expired() const;
    std::chrono::milliseconds remaining() const;
    /// Timeout for the next call: what is left, at most the per-call cap, at least 1 ms.
    int callTimeoutMs() const;

private:
    std::chrono::steady_clock::time_point m_end;
    std::chrono::milliseconds m_perCall;
};

// Which objects a Collection search returns: all of the states, any of the roles.
struct AtspiMatchRule
{
    std::vector<int> states;
    std::vector<std::uint32_t> roles;
};

// A reply still on its way: the request went out when this was made, get() waits for the
// answer (once; later calls give the same value).
template <typename T>
class AtspiLater
{
public:
    explicit AtspiLater(std::function<std::optional<T>()> finish) : m_finish(std::move(finish)) {}

    std::optional<T> get()
    {
        if (m_finish) {
            m_value = m_finish();
            m_finish = nullptr;
        }
        return m_value;
    }

private:
    std::function<std::optional<T>()> m_finish;
    std::optional<T> m_value;
};

// Raw AT-SPI over D-Bus. Every call is bounded and yields none on any failure (no bus, an
// error reply, an object that went away, a reply of an unexpected form). Safe to use from
// several threads at once: QDBusConnection is thread-safe and the rest is behind a mutex.
class AtspiBus
{
public:
    struct Options
    {
        /// The session bus to find the accessibility bus on; empty means the user's own.
        QString sessionBusAddress;
    };

    AtspiBus();
    explicit AtspiBus(Options options);
    ~AtspiBus();
    AtspiBus(const AtspiBus&) = delete;
    AtspiBus& operator=(const AtspiBus&) = delete;

    /// org.a11y.Status.IsEnabled on the session bus; none when the launcher does not answer.
    std::optional<bool> isEnabled(int timeoutMs);
    /// isEnabled() as the launcher last announced it, where this thread's event loop runs to
    /// deliver the announcements: asked once, then followed without a round trip. Elsewhere
    /// it is asked every time.
    std::optional<bool> followedIsEnabled(int timeoutMs);
    /// Sets org.a11y.Status.IsEnabled; the error's description on failure.
    std::optional<QString> setEnabled(bool enabled, int timeoutMs);

    /// The applications the registry lists, in its order.
    std::optional<std::vector<AtspiObject>> applications(const AtspiDeadline& deadline);
    /// The process id behind a bus name on the accessibility bus.
    std::optional<std::int64_t> processId(const QString& service, const AtspiDeadline& deadline);

    std::optional<std::vector<AtspiObject>> children(const AtspiObject& object,
                                                     const AtspiDeadline& deadline);
    std::optional<std::uint32_t> role(const AtspiObject& object, const AtspiDeadline& deadline);
    std::optional<QString> roleName(const AtspiObject& object, const AtspiDeadline& deadline);
    std::optional<AtspiStates> states(const AtspiObject& object, const AtspiDeadline& deadline);
    /// states() sent now and waited for later: requests that reach an application together are
    /// answered in one turn of its event loop, where each waited-for call takes a turn of its own.
    AtspiLater<AtspiStates> statesLater(const AtspiObject& object, const AtspiDeadline& deadline);
    std::optional<QString> name(const AtspiObject& object, const AtspiDeadline& deadline);
    /// Accessible.GetAttributes (also what makes Chromium build its tree).
    std::optional<QMap<QString, QString>> attributes(const AtspiObject& object,
                                                     const AtspiDeadline& deadline);
    std::optional<QMap<QString, QString>> documentAttributes(const AtspiObject& object,
                                                             const AtspiDeadline& deadline);
    AtspiLater<QMap<QString, QString>> documentAttributesLater(const AtspiObject& object,
                                                               const AtspiDeadline& deadline);
    /// The whole text of an object with the Text interface.
    std::optional<QString> text(const AtspiObject& object, const AtspiDeadline& deadline);
    /// Collection.GetMatches below object in canonical (pre-)order, at most count results.
    std::optional<std::vector<AtspiObject>> matches(const AtspiObject& object,
                                                    const AtspiMatchRule& rule, int count,
                                                    const AtspiDeadline& deadline);

private:
    /// The one value of the reply, when it came in time and has the expected signature.
    std::optional<QVariant> call(const AtspiObject& object, const QString& interface,
                                 const QString& method, const QVariantList& arguments,
                                 const char* replySignature, const AtspiDeadline& deadline);
    /// Sends the request at once; the function waits for its reply (call() = send()()).
    std::function<std::optional<QVariant>()>
    send(const AtspiObject& object, const QString& interface, const QString& method,
         const QVariantList& arguments, const char* replySignature, const AtspiDeadline& deadline);
    std::optional<QDBusConnection> accessibilityBus(const AtspiDeadline& deadline);
    std::optional<QDBusConnection> sessionBus();
    std::optional<QString> accessibilityBusAddress(int timeoutMs);

    Options m_options;
    QString m_sessionName;
    QString m_accessibilityName;
    std::mutex m_sessionMutex;       // guards the private session connection's set-up
    std::mutex m_accessibilityMutex; // guards the accessibility connection's set-up
    std::mutex m_cacheMutex;         // guards m_processIds
    bool m_sessionConnected = false;
    bool m_accessibilityConnected = false;
    std::map<QString, std::int64_t> m_processIds;    // unique bus names are never reused
    std::unique_ptr<AtspiStatusWatch> m_statusWatch; // lives on the thread that made it
};

} // namespace ondrel::platform::freedesktop
