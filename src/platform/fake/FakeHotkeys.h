#pragma once

#include "platform/Hotkeys.h"

#include <set>
#include <utility>

namespace ondrel::platform::fake {

// Hotkey registrations kept in a table. Tests press keys, decide which combinations another
// client already holds, and open or close "our" menu.
class FakeHotkeys final : public Hotkeys
{
public:
    struct Registration
    {
        std::uint32_t keyCode = 0;
        std::uint32_t carbonModifiers = 0;
        HotKeyID id;
        HotKeyRef ref = 0;

        bool operator==(const Registration&) const = default;
    };

    enum class CallKind
    {
        registerHotKey,
        unregisterHotKey
    };

    // One call of registerEventHotKey or unregisterEventHotKey and what it answered.
    struct Call
    {
        CallKind kind = CallKind::registerHotKey;
        std::uint32_t keyCode = 0;
        std::uint32_t carbonModifiers = 0;
        HotKeyID id;
        HotKeyRef ref = 0;
        OSStatus status = noErr;

        bool operator==(const Call&) const = default;
    };

    FakeHotkeys() = default;

    OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers, HotKeyID id,
                                 HotKeyRef& ref) override;
    OSStatus unregisterEventHotKey(HotKeyRef ref) override;
    OSStatus installEventHandler(Handler handler) override;
    OSStatus addEventTypes(const std::vector<KeyEventKind>& kinds) override;
    OSStatus removeEventTypes(const std::vector<KeyEventKind>& kinds) override;
    void setMenuTrackingObserver(std::function<void(bool isOpen)> observer) override;
    void setArmedObserver(std::function<void(bool armed)> observer) override;

    // --- test control -------------------------------------------------------------------

    /// Marks a combination as grabbed by another program: registering it fails with
    /// eventHotKeyExistsErr.
    void setHeldByAnotherClient(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                bool held = true);
    /// Makes the next installEventHandler calls answer status (noErr restores success).
    void setInstallStatus(OSStatus status) { m_installStatus = status; }

    /// The user presses the combination: delivered as hotKeyPressed when a live registration
    /// matches and that kind is enabled. The handler's status, or none when nothing was delivered.
    std::optional<OSStatus> press(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    /// The user releases the combination (hotKeyReleased), on the same terms as press().
    std::optional<OSStatus> release(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    /// A raw key-down as seen while one of our menus holds the keyboard; delivered when enabled.
    std::optional<OSStatus> rawKeyDown(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    /// A raw key-up, on the same terms as rawKeyDown().
    std::optional<OSStatus> rawKeyUp(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    /// Hands any event to the handler when its kind is enabled (e.g. a foreign signature).
    std::optional<OSStatus> deliver(const KeyEvent& event);
    /// One of our menus opens (true) or closes (false): tells the menu-tracking observer.
    void setMenuOpen(bool open);
    /// The user holds a combination's modifiers (true) or does something else (false): tells
    /// the armed observer.
    void setArmed(bool armed);

    /// The live registrations, oldest first.
    const std::vector<Registration>& registrations() const { return m_registrations; }
    /// The live registration of this combination, if any.
    std::optional<Registration> registrationFor(std::uint32_t keyCode,
                                                std::uint32_t carbonModifiers) const;
    /// Every register and unregister call, in order.
    const std::vector<Call>& calls() const { return m_calls; }
    /// Every event handed to the handler, in order.
    const std::vector<KeyEvent>& deliveredEvents() const { return m_delivered; }
    bool hasHandler() const { return static_cast<bool>(m_handler); }
    int handlerInstallCount() const { return m_installCount; }
    bool isEnabled(KeyEventKind kind) const { return m_enabledKinds.contains(kind); }
    const std::set<KeyEventKind>& enabledKinds() const { return m_enabledKinds; }

private:
    std::optional<OSStatus> deliverHotKey(KeyEventKind kind, std::uint32_t keyCode,
                                          std::uint32_t carbonModifiers);

    std::vector<Registration> m_registrations;
    std::vector<Call> m_calls;
    std::vector<KeyEvent> m_delivered;
    std::set<std::pair<std::uint32_t, std::uint32_t>> m_heldElsewhere;
    std::set<KeyEventKind> m_enabledKinds;
    Handler m_handler;
    std::function<void(bool)> m_menuObserver;
    std::function<void(bool)> m_armedObserver;
    HotKeyRef m_nextRef = 1;
    OSStatus m_installStatus = noErr;
    int m_installCount = 0;
};

} // namespace ondrel::platform::fake
