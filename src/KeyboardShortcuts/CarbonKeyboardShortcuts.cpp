#include "CarbonKeyboardShortcuts.h"

#include "platform/KeyboardLayout.h"

#include <limits>
#include <ostream>
#include <utility>
#include <vector>

namespace ondrel::shortcuts {

using platform::eventNotHandledErr;
using platform::HotKeyRef;
using platform::KeyEvent;
using platform::KeyEventKind;
using platform::noErr;
using platform::OSStatus;

namespace {

// The status of an event that lacks the parameter its kind must carry.
constexpr OSStatus eventParameterNotFoundErr = -9870;
constexpr std::int64_t maximumPlatformValue = std::numeric_limits<std::uint32_t>::max();

const std::vector<KeyEventKind> hotKeyEventKinds{KeyEventKind::hotKeyPressed,
                                                 KeyEventKind::hotKeyReleased};
const std::vector<KeyEventKind> rawKeyEventKinds{KeyEventKind::rawKeyDown, KeyEventKind::rawKeyUp};

} // namespace

CarbonKeyboardShortcuts::CarbonKeyboardShortcuts(platform::Hotkeys& hotkeys,
                                                 platform::KeyboardLayout& layout,
                                                 const bool& isEnabled, std::ostream& out)
    : m_hotkeys(hotkeys), m_layout(layout), m_isEnabled(isEnabled), m_out(out)
{}

CarbonKeyboardShortcuts::~CarbonKeyboardShortcuts()
{
    // Another owner of the platform must not be left with our grabs.
    suspendAll();
}

OSStatus CarbonKeyboardShortcuts::registerWithSystem(const Shortcut& shortcut, std::uint32_t id,
                                                     HotKeyRef& ref)
{
    // Only a damaged stored entry can hold values the hotkey service cannot take.
    if (shortcut.carbonKeyCode < 0 || shortcut.carbonKeyCode > maximumPlatformValue ||
        shortcut.carbonModifiers < 0 || shortcut.carbonModifiers > maximumPlatformValue) {
        return platform::paramErr;
    }
    return m_hotkeys.registerEventHotKey(static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                                         static_cast<std::uint32_t>(shortcut.carbonModifiers),
                                         platform::HotKeyID{signature, id}, ref);
}

void CarbonKeyboardShortcuts::printRegistrationError(const Shortcut& shortcut, OSStatus status)
{
    m_out << "Error registering hotkey " << shortcut.description(m_layout) << ": " << status
          << std::endl;
}

void CarbonKeyboardShortcuts::registerShortcut(const Shortcut& shortcut, Callback onKeyDown,
                                               Callback onKeyUp)
{
    // Ids are never reused, not even after a refused attempt.
    ++m_hotKeyId;
    HotKeyRef ref = 0;
    const OSStatus status =
        m_hotKeyId > maximumPlatformValue
            ? platform::paramErr
            : registerWithSystem(shortcut, static_cast<std::uint32_t>(m_hotKeyId), ref);
    if (status != noErr || ref == 0) {
        printRegistrationError(shortcut, status);
        return;
    }
    const auto id = static_cast<std::uint32_t>(m_hotKeyId);
    m_hotKeys.insert_or_assign(id,
                               HotKey{shortcut, id, ref, std::move(onKeyDown), std::move(onKeyUp)});
    if (!m_eventHandlerInstalled) {
        installEventHandler();
    }
}

void CarbonKeyboardShortcuts::installEventHandler()
{
    const auto alive = m_lifetime.token();
    const OSStatus status =
        m_hotkeys.installEventHandler([alive, this](const KeyEvent& event) -> OSStatus {
            if (alive.expired()) {
                return eventNotHandledErr;
            }
            return carbonEventHandler(event);
        });
    if (status != noErr) {
        // The next successful registration tries again.
        return;
    }
    m_eventHandlerInstalled = true;
    // The handler starts without event kinds; this adds the ones the current state needs.
    updateEventHandler();
}

void CarbonKeyboardShortcuts::unregisterShortcut(const Shortcut& shortcut)
{
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end();) {
        if (it->second.shortcut == shortcut) {
            if (it->second.carbonHotKey != 0) {
                m_hotkeys.unregisterEventHotKey(it->second.carbonHotKey);
            }
            it = m_hotKeys.erase(it);
        } else {
            ++it;
        }
    }
}

void CarbonKeyboardShortcuts::setMenuOpen(bool isOpen)
{
    if (isOpen == m_isMenuOpen) {
        return;
    }
    m_isMenuOpen = isOpen;
    updateEventHandler();
}

void CarbonKeyboardShortcuts::setSuspended(bool suspended)
{
    if (suspended == m_isSuspended) {
        return;
    }
    m_isSuspended = suspended;
    updateEventHandler();
}

void CarbonKeyboardShortcuts::updateEventHandler()
{
    if (!m_eventHandlerInstalled) {
        return;
    }
    if (m_isSuspended) {
        // A recorder wants every key; presses reach no action meanwhile anyway.
        suspendAll();
        m_hotkeys.removeEventTypes(hotKeyEventKinds);
        m_hotkeys.removeEventTypes(rawKeyEventKinds);
    } else if (m_isEnabled && !m_isMenuOpen) {
        registerAll();
        m_hotkeys.removeEventTypes(rawKeyEventKinds);
        m_hotkeys.addEventTypes(hotKeyEventKinds);
    } else if (m_isEnabled) {
        // An open menu holds the keyboard: our grabs would not fire, so watch raw keys instead.
        suspendAll();
        m_hotkeys.removeEventTypes(hotKeyEventKinds);
        m_hotkeys.addEventTypes(rawKeyEventKinds);
    } else {
        suspendAll();
        m_hotkeys.removeEventTypes(hotKeyEventKinds);
        m_hotkeys.removeEventTypes(rawKeyEventKinds);
    }
}

void CarbonKeyboardShortcuts::registerAll()
{
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end();) {
        HotKey& hotKey = it->second;
        if (hotKey.carbonHotKey != 0) {
            ++it;
            continue;
        }
        HotKeyRef ref = 0;
        const OSStatus status = registerWithSystem(hotKey.shortcut, hotKey.carbonHotKeyId, ref);
        if (status == noErr && ref != 0) {
            hotKey.carbonHotKey = ref;
            ++it;
        } else {
            printRegistrationError(hotKey.shortcut, status);
            it = m_hotKeys.erase(it);
        }
    }
}

void CarbonKeyboardShortcuts::suspendAll()
{
    for (auto& [id, hotKey] : m_hotKeys) {
        if (hotKey.carbonHotKey != 0) {
            m_hotkeys.unregisterEventHotKey(hotKey.carbonHotKey);
            hotKey.carbonHotKey = 0;
        }
    }
}

OSStatus CarbonKeyboardShortcuts::carbonEventHandler(const KeyEvent& event)
{
    switch (event.kind) {
    case KeyEventKind::hotKeyPressed:
    case KeyEventKind::hotKeyReleased:
        return handleHotKeyEvent(event);
    case KeyEventKind::rawKeyDown:
    case KeyEventKind::rawKeyUp:
        return handleRawKeyboardEvent(event);
    }
    return eventNotHandledErr;
}

OSStatus CarbonKeyboardShortcuts::handleHotKeyEvent(const KeyEvent& event)
{
    if (!event.hotKeyID) {
        return eventParameterNotFoundErr;
    }
    if (event.hotKeyID->signature != signature) {
        return eventNotHandledErr;
    }
    const auto found = m_hotKeys.find(event.hotKeyID->id);
    if (found == m_hotKeys.end()) {
        return eventNotHandledErr;
    }
    // Copies: an action may change shortcuts and so remove this very entry while it runs.
    const Shortcut shortcut = found->second.shortcut;
    const Callback callback =
        event.kind == KeyEventKind::hotKeyPressed ? found->second.onKeyDown : found->second.onKeyUp;
    if (callback) {
        callback(shortcut);
    }
    return noErr;
}

OSStatus CarbonKeyboardShortcuts::handleRawKeyboardEvent(const KeyEvent& event)
{
    const std::int64_t keyCode = event.keyCode;
    const std::int64_t modifiers = normalizedCarbonModifiers(event.carbonModifiers);
    for (const auto& [id, hotKey] : m_hotKeys) {
        if (hotKey.shortcut.carbonKeyCode != keyCode ||
            hotKey.shortcut.carbonModifiers != modifiers) {
            continue;
        }
        const Shortcut shortcut = hotKey.shortcut;
        const Callback callback =
            event.kind == KeyEventKind::rawKeyDown ? hotKey.onKeyDown : hotKey.onKeyUp;
        if (callback) {
            callback(shortcut);
        }
        return noErr;
    }
    return eventNotHandledErr;
}

} // namespace ondrel::shortcuts
