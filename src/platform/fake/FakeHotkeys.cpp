#include "FakeHotkeys.h"

#include <algorithm>

namespace ondrel::platform::fake {

OSStatus FakeHotkeys::registerEventHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                          HotKeyID id, HotKeyRef& ref)
{
    OSStatus status = noErr;
    ref = 0;
    // Another program's grab and a second grab of our own both fail, as on macOS.
    if (m_heldElsewhere.contains({keyCode, carbonModifiers}) ||
        registrationFor(keyCode, carbonModifiers)) {
        status = eventHotKeyExistsErr;
    } else {
        ref = m_nextRef++;
        m_registrations.push_back(Registration{keyCode, carbonModifiers, id, ref});
    }
    m_calls.push_back(Call{CallKind::registerHotKey, keyCode, carbonModifiers, id, ref, status});
    return status;
}

OSStatus FakeHotkeys::unregisterEventHotKey(HotKeyRef ref)
{
    auto found = std::find_if(m_registrations.begin(), m_registrations.end(),
                              [ref](const Registration& entry) { return entry.ref == ref; });
    if (found == m_registrations.end()) {
        m_calls.push_back(Call{CallKind::unregisterHotKey, 0, 0, {}, ref, eventHotKeyInvalidErr});
        return eventHotKeyInvalidErr;
    }
    m_calls.push_back(Call{CallKind::unregisterHotKey, found->keyCode, found->carbonModifiers,
                           found->id, ref, noErr});
    m_registrations.erase(found);
    return noErr;
}

OSStatus FakeHotkeys::installEventHandler(Handler handler)
{
    ++m_installCount;
    if (!handler) {
        return paramErr;
    }
    if (m_installStatus != noErr) {
        return m_installStatus;
    }
    m_handler = std::move(handler);
    return noErr;
}

OSStatus FakeHotkeys::addEventTypes(const std::vector<KeyEventKind>& kinds)
{
    m_enabledKinds.insert(kinds.begin(), kinds.end());
    return noErr;
}

OSStatus FakeHotkeys::removeEventTypes(const std::vector<KeyEventKind>& kinds)
{
    for (KeyEventKind kind : kinds) {
        m_enabledKinds.erase(kind);
    }
    return noErr;
}

void FakeHotkeys::setMenuTrackingObserver(std::function<void(bool isOpen)> observer)
{
    m_menuObserver = std::move(observer);
}

void FakeHotkeys::setArmedObserver(std::function<void(bool armed)> observer)
{
    m_armedObserver = std::move(observer);
}

void FakeHotkeys::setArmed(bool armed)
{
    if (m_armedObserver)
        m_armedObserver(armed);
}

void FakeHotkeys::setHeldByAnotherClient(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                         bool held)
{
    if (held) {
        m_heldElsewhere.insert({keyCode, carbonModifiers});
    } else {
        m_heldElsewhere.erase({keyCode, carbonModifiers});
    }
}

std::optional<OSStatus> FakeHotkeys::press(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return deliverHotKey(KeyEventKind::hotKeyPressed, keyCode, carbonModifiers);
}

std::optional<OSStatus> FakeHotkeys::release(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return deliverHotKey(KeyEventKind::hotKeyReleased, keyCode, carbonModifiers);
}

std::optional<OSStatus> FakeHotkeys::rawKeyDown(std::uint32_t keyCode,
                                                std::uint32_t carbonModifiers)
{
    return deliver(KeyEvent{KeyEventKind::rawKeyDown, std::nullopt, keyCode, carbonModifiers});
}

std::optional<OSStatus> FakeHotkeys::rawKeyUp(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return deliver(KeyEvent{KeyEventKind::rawKeyUp, std::nullopt, keyCode, carbonModifiers});
}

std::optional<OSStatus> FakeHotkeys::deliver(const KeyEvent& event)
{
    if (!m_handler || !isEnabled(event.kind)) {
        return std::nullopt;
    }
    m_delivered.push_back(event);
    // A copy: the handler may install another handler while it runs.
    Handler handler = m_handler;
    return handler(event);
}

void FakeHotkeys::setMenuOpen(bool open)
{
    if (m_menuObserver) {
        auto observer = m_menuObserver;
        observer(open);
    }
}

std::optional<FakeHotkeys::Registration>
FakeHotkeys::registrationFor(std::uint32_t keyCode, std::uint32_t carbonModifiers) const
{
    auto found = std::find_if(
        m_registrations.begin(), m_registrations.end(), [&](const Registration& entry) {
            return entry.keyCode == keyCode && entry.carbonModifiers == carbonModifiers;
        });
    if (found == m_registrations.end()) {
        return std::nullopt;
    }
    return *found;
}

std::optional<OSStatus> FakeHotkeys::deliverHotKey(KeyEventKind kind, std::uint32_t keyCode,
                                                   std::uint32_t carbonModifiers)
{
    auto registration = registrationFor(keyCode, carbonModifiers);
    if (!registration) {
        return std::nullopt;
    }
    return deliver(KeyEvent{kind, registration->id, keyCode, carbonModifiers});
}

} // namespace ondrel::platform::fake
