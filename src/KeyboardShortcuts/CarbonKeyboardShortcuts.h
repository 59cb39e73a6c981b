#pragma once

#include "Shortcut.h"

#include "common/LifetimeGuard.h"
#include "platform/Hotkeys.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>

namespace ondrel::platform {
class KeyboardLayout;
}

namespace ondrel::shortcuts {

// The system hotkey layer under KeyboardShortcuts: one registration per shortcut, one event
// handler, and the switch between hotkey events and raw key events while a menu of ours is open.
class CarbonKeyboardShortcuts
{
public:
    using Callback = std::function<void(const Shortcut&)>;

    /// isEnabled is the component's global switch, read whenever the handler is brought in line.
    CarbonKeyboardShortcuts(platform::Hotkeys& hotkeys, platform::KeyboardLayout& layout,
                            const bool& isEnabled, std::ostream& out);
    /// Releases the registrations still held; the handler stays installed but inert.
    ~CarbonKeyboardShortcuts();
    CarbonKeyboardShortcuts(const CarbonKeyboardShortcuts&) = delete;
    CarbonKeyboardShortcuts& operator=(const CarbonKeyboardShortcuts&) = delete;

    /// Registers shortcut with the system; a refusal prints one error line and is otherwise silent.
    void registerShortcut(const Shortcut& shortcut, Callback onKeyDown, Callback onKeyUp);
    /// Drops every registration of shortcut.
    void unregisterShortcut(const Shortcut& shortcut);
    /// Brings registrations and handled event kinds in line with isEnabled and isMenuOpen.
    void updateEventHandler();
    /// Records whether one of our menus is open; brings the handler in line when it changed.
    void setMenuOpen(bool isOpen);
    /// Lets go of every registration while a recorder records (a grab would keep the key from
    /// it) and takes them again afterwards; entries and ids stay.
    void setSuspended(bool suspended);

    /// The platform callback: answers noErr when the event was ours and an action ran.
    platform::OSStatus carbonEventHandler(const platform::KeyEvent& event);

private:
    // One registration with the system.
    struct HotKey
    {
        Shortcut shortcut;
        std::uint32_t carbonHotKeyId = 0;
        platform::HotKeyRef carbonHotKey = 0; // 0 while suspended
        Callback onKeyDown;
        Callback onKeyUp;
    };

    // The four-character signature "HTKY" every registration carries.
    static constexpr std::uint32_t signature = 0x48544B59;

    platform::OSStatus registerWithSystem(const Shortcut& shortcut, std::uint32_t id,
                                          platform::HotKeyRef& ref);
    void printRegistrationError(const Shortcut& shortcut, platform::OSStatus status);
    void installEventHandler();
    void registerAll();
    void suspendAll();
    platform::OSStatus handleHotKeyEvent(const platform::KeyEvent& event);
    platform::OSStatus handleRawKeyboardEvent(const platform::KeyEvent& event);

    platform::Hotkeys& m_hotkeys;
    platform::KeyboardLayout& m_layout;
    const bool& m_isEnabled;
    std::ostream& m_out;
    std::map<std::uint32_t, HotKey> m_hotKeys;
    std::uint64_t m_hotKeyId = 0;
    bool m_eventHandlerInstalled = false;
    bool m_isMenuOpen = false;
    bool m_isSuspended = false;
    // The handler outlives this object inside the platform; it checks this first.
    common::LifetimeGuard m_lifetime;
};

} // namespace ondrel::shortcuts
