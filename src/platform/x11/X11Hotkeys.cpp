#include "X11Hotkeys.h"

#include "MenuKeyWatcher.h"
#include "RawInputWatcher.h"
#include "X11Connection.h"
#include "X11Keymap.h"
#include "X11Log.h"
#include "X11Modifiers.h"
#include "platform/freedesktop/KeyCodeMap.h"

#include <QTimer>

#include <algorithm>

namespace ondrel::platform::x11 {

namespace {

// How often a held hotkey is checked for its release once its grab was given up.
constexpr auto kReleasePollInterval = std::chrono::milliseconds(20);

bool isRawKind(KeyEventKind kind)
{
    return kind == KeyEventKind::rawKeyDown || kind == KeyEventKind::rawKeyUp;
}

} // namespace

X11Hotkeys::X11Hotkeys(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection)), m_menuWatcher(std::make_unique<MenuKeyWatcher>())
{
    m_listener = m_connection->addListener(
        [this](const xcb_generic_event_t& event) { return handleEvent(event); });
}

X11Hotkeys::~X11Hotkeys()
{
    m_connection->removeListener(m_listener);
    for (const auto& [ref, registration] : m_registrations)
        m_connection->ungrabKey(registration.keycode, registration.modifiers);
}

OSStatus X11Hotkeys::registerEventHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                         HotKeyID id, HotKeyRef& ref)
{
    ref = 0;
    m_connection->attachToEventLoop();
    const auto keycode = freedesktop::KeyCodeMap::xKeycodeForMac(keyCode);
    const auto modifiers = xModifiersForCarbon(carbonModifiers, m_connection->keymap().roles());
    if (!keycode || !modifiers)
        return eventHotKeyInvalidErr; // no such key, or fn, which X cannot see
    const bool ours = std::any_of(m_registrations.begin(), m_registrations.end(), [&](auto& r) {
        return r.second.keycode == *keycode && r.second.modifiers == *modifiers;
    });
    if (ours)
        return eventHotKeyExistsErr;
    switch (m_connection->grabKey(*keycode, *modifiers)) {
    case X11Connection::GrabResult::grabbed:
        break;
    case X11Connection::GrabResult::taken:
        return eventHotKeyExistsErr;
    case X11Connection::GrabResult::failed:
        return paramErr;
    }
    ref = m_nextRef++;
    m_registrations.emplace(ref, Registration{id, *keycode, carbonModifiers, *modifiers});
    updateArming();
    return noErr;
}

OSStatus X11Hotkeys::unregisterEventHotKey(HotKeyRef ref)
{
    const auto it = m_registrations.find(ref);
    if (it == m_registrations.end())
        return eventHotKeyInvalidErr;
    m_connection->ungrabKey(it->second.keycode, it->second.modifiers);
    m_registrations.erase(it);
    updateArming();
    return noErr;
}

OSStatus X11Hotkeys::installEventHandler(Handler handler)
{
    m_handler = std::move(handler);
    return noErr;
}

OSStatus X11Hotkeys::addEventTypes(const std::vector<KeyEventKind>& kinds)
{
    m_enabledKinds.insert(kinds.begin(), kinds.end());
    updateRawKeyWatch();
    return noErr;
}

OSStatus X11Hotkeys::removeEventTypes(const std::vector<KeyEventKind>& kinds)
{
    for (const auto kind : kinds)
        m_enabledKinds.erase(kind);
    updateRawKeyWatch();
    return noErr;
}

void X11Hotkeys::setMenuTrackingObserver(std::function<void(bool isOpen)> observer)
{
    m_menuWatcher->setMenuObserver(std::move(observer));
}

void X11Hotkeys::setArmedObserver(std::function<void(bool armed)> observer)
{
    m_armedObserver = std::move(observer);
    if (!m_armedObserver) {
        m_rawInput.reset();
        return;
    }
    if (m_rawInput)
        return;
    m_connection->attachToEventLoop();
    m_rawInput = std::make_unique<RawInputWatcher>(
        m_connection, RawInputWatcher::Handlers{[this](std::uint8_t keycode, bool down) {
                                                    if (m_arming.key(keycode, down))
                                                        armingChanged();
                                                },
                                                [this] {
                                                    if (m_arming.button())
                                                        armingChanged();
                                                }});
    if (!m_rawInput->isWatching()) {
        m_rawInput.reset();
        return;
    }
    // Modifiers already held when watching begins count as well.
    updateArming();
    m_arming.reset(m_rawInput->heldKeys());
    if (m_arming.armed())
        armingChanged();
}

void X11Hotkeys::updateArming()
{
    if (!m_rawInput)
        return;
    const bool wasArmed = m_arming.armed();
    std::vector<HotkeyArming::Chord> chords;
    for (const auto& [ref, registration] : m_registrations)
        chords.push_back({registration.keycode, registration.modifiers});
    m_arming.setModifierMap(m_connection->keymap().modifierMap(), m_connection->keymap().roles());
    m_arming.setChords(std::move(chords));
    if (m_arming.armed() != wasArmed)
        armingChanged();
}

void X11Hotkeys::armingChanged()
{
    // A click only matters while armed; every scroll and click waking us otherwise would not.
    if (m_rawInput)
        m_rawInput->watchButtons(m_arming.armed());
    if (m_armedObserver)
        m_armedObserver(m_arming.armed());
}

void X11Hotkeys::updateRawKeyWatch()
{
    const bool wanted = std::any_of(m_enabledKinds.begin(), m_enabledKinds.end(), isRawKind);
    if (!wanted) {
        m_menuWatcher->setKeyHandler({});
        return;
    }
    m_menuWatcher->setKeyHandler([this](bool down, std::uint32_t keyCode, std::uint32_t mods) {
        const auto kind = down ? KeyEventKind::rawKeyDown : KeyEventKind::rawKeyUp;
        if (!m_handler || !m_enabledKinds.contains(kind))
            return false;
        return m_handler(KeyEvent{kind, std::nullopt, keyCode, mods}) == noErr;
    });
}

bool X11Hotkeys::handleEvent(const xcb_generic_event_t& event)
{
    switch (event.response_type & 0x7F) {
    case XCB_KEY_PRESS:
        pressed(reinterpret_cast<const xcb_key_press_event_t&>(event));
        return true;
    case XCB_KEY_RELEASE: {
        const auto& release = reinterpret_cast<const xcb_key_release_event_t&>(event);
        // Without detectable auto-repeat a held key sends release+press pairs; the key is
        // still down then.
        if (!isKeyDown(release.detail))
            released(release.detail);
        return true;
    }
    default:
        // The keymap has forgotten the old modifier roles already (X11Connection::dispatch).
        if (m_connection->keymap().isMappingChange(event))
            regrab();
        return false;
    }
}

void X11Hotkeys::regrab()
{
    // Super, Alt and the lock keys may sit on other modifier bits now.
    const auto roles = m_connection->keymap().roles();
    for (auto& [ref, registration] : m_registrations) {
        m_connection->ungrabKey(registration.keycode, registration.modifiers);
        registration.modifiers =
            xModifiersForCarbon(registration.carbonModifiers, roles).value_or(0);
        if (m_connection->grabKey(registration.keycode, registration.modifiers) !=
            X11Connection::GrabResult::grabbed)
            qCWarning(x11Log) << "A hotkey could not be grabbed again after a keyboard change";
    }
    updateArming();
}

void X11Hotkeys::pressed(const xcb_key_press_event_t& event)
{
    // Give the keyboard back at once: the paste keystroke that follows must reach the
    // focused window, not us.
    xcb_ungrab_keyboard(m_connection->xcb(), XCB_CURRENT_TIME);
    m_connection->flush();

    const auto state = cleanState(event.state, m_connection->keymap().roles());
    const auto it = std::find_if(m_registrations.begin(), m_registrations.end(), [&](auto& r) {
        return r.second.keycode == event.detail && r.second.modifiers == state;
    });
    if (it == m_registrations.end() || it->second.down)
        return; // not ours, or the key repeating
    it->second.down = true;
    if (!m_releasePoll) {
        m_releasePoll = std::make_unique<QTimer>();
        m_releasePoll->setInterval(kReleasePollInterval);
        QObject::connect(m_releasePoll.get(), &QTimer::timeout, [this] { pollHeldKeys(); });
    }
    if (!m_releasePoll->isActive())
        m_releasePoll->start();
    deliver(KeyEventKind::hotKeyPressed, it->second.id);
}

void X11Hotkeys::released(xcb_keycode_t keycode)
{
    std::vector<HotKeyID> ids;
    for (auto& [ref, registration] : m_registrations) {
        if (registration.keycode == keycode && registration.down) {
            registration.down = false;
            ids.push_back(registration.id);
        }
    }
    for (const auto id : ids)
        deliver(KeyEventKind::hotKeyReleased, id);
}

void X11Hotkeys::pollHeldKeys()
{
    std::set<xcb_keycode_t> held;
    for (const auto& [ref, registration] : m_registrations) {
        if (registration.down)
            held.insert(registration.keycode);
    }
    if (held.empty()) {
        m_releasePoll->stop();
        return;
    }
    for (const auto keycode : held) {
        if (!isKeyDown(keycode))
            released(keycode);
    }
}

bool X11Hotkeys::isKeyDown(xcb_keycode_t keycode)
{
    const auto keys = m_connection->heldKeys();
    return keys && (((*keys)[keycode / 8] >> (keycode % 8)) & 1u);
}

void X11Hotkeys::deliver(KeyEventKind kind, HotKeyID id)
{
    if (!m_handler || !m_enabledKinds.contains(kind))
        return;
    m_handler(KeyEvent{kind, id, 0, 0});
}

} // namespace ondrel::platform::x11
