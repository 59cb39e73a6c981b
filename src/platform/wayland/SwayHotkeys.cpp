#include "SwayHotkeys.h"

#include "SwayBindings.h"
#include "SwayIpc.h"
#include "WaylandLog.h"
#include "XkbKeymap.h"

#include "platform/freedesktop/KeyCodeMap.h"

#include <QJsonObject>

#include <unistd.h>

#include <algorithm>
#include <charconv>

namespace ondrel::platform::wayland {

namespace {

constexpr std::string_view kPressed = " down";
constexpr std::string_view kReleased = " up";

} // namespace

SwayHotkeys::SwayHotkeys(std::shared_ptr<SwayIpc> sway, std::shared_ptr<XkbKeymap> keymap)
    : m_sway(std::move(sway)), m_keymap(std::move(keymap)), m_marker(ownMarker())
{}

std::string SwayHotkeys::ownMarker()
{
    return "ondrel-hotkey-" + std::to_string(::getpid());
}

SwayHotkeys::~SwayHotkeys()
{
    // Run-time bindings outlive us in sway; left behind they would swallow the keys.
    for (const auto& [ref, registration] : m_registrations)
        unbind(registration);
}

OSStatus SwayHotkeys::registerEventHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                          HotKeyID id, HotKeyRef& ref)
{
    ref = 0;
    const auto evdev = freedesktop::KeyCodeMap::evdevForMac(keyCode);
    const auto modifiers = swayModifiersForCarbon(carbonModifiers);
    if (!evdev || !modifiers)
        return eventHotKeyInvalidErr;
    const auto xkbKeycode = *evdev + freedesktop::KeyCodeMap::xKeycodeOffset;

    if (!m_subscribed) {
        m_subscribed = m_sway->subscribe([this](const std::string& command) { onBinding(command); },
                                         [this] { onReload(); });
        if (!m_subscribed) {
            qCWarning(waylandLog) << "Could not subscribe to sway's binding events";
            return eventHotKeyInvalidErr;
        }
    }
    // sway would replace a binding of the user's configuration silently.
    if (const auto config = m_sway->request(SwayIpc::Message::getConfig)) {
        const auto text = config->object().value(QStringLiteral("config")).toString().toStdString();
        const auto taken = swayBindings(text, *m_keymap, m_marker);
        if (std::any_of(taken.begin(), taken.end(), [&](const SwayBinding& b) {
                return b.xkbKeycode == xkbKeycode && b.carbonModifiers == carbonModifiers;
            }))
            return eventHotKeyExistsErr;
    }
    for (const auto& [otherRef, other] : m_registrations) {
        if (other.combination == *modifiers + std::to_string(xkbKeycode))
            return eventHotKeyExistsErr;
    }

    const HotKeyRef newRef = m_nextRef++;
    Registration registration{*modifiers + std::to_string(xkbKeycode), id};
    if (!bind(newRef, registration))
        return eventHotKeyInvalidErr;
    m_registrations.emplace(newRef, std::move(registration));
    ref = newRef;
    return noErr;
}

bool SwayHotkeys::bind(HotKeyRef ref, const Registration& registration)
{
    const auto command = m_marker + " " + std::to_string(ref);
    const auto error =
        m_sway->runCommand("bindcode --no-warn " + registration.combination + " nop " + command +
                           std::string(kPressed) + "; bindcode --release --no-warn " +
                           registration.combination + " nop " + command + std::string(kReleased));
    if (error) {
        qCWarning(waylandLog) << "sway refused the binding" << registration.combination.c_str()
                              << ":" << error->c_str();
        unbind(registration);
        return false;
    }
    return true;
}

void SwayHotkeys::unbind(const Registration& registration)
{
    m_sway->runCommand("unbindcode " + registration.combination + "; unbindcode --release " +
                       registration.combination);
}

OSStatus SwayHotkeys::unregisterEventHotKey(HotKeyRef ref)
{
    const auto found = m_registrations.find(ref);
    if (found == m_registrations.end())
        return paramErr;
    unbind(found->second);
    m_registrations.erase(found);
    return noErr;
}

void SwayHotkeys::onBinding(const std::string& command)
{
    // "nop ondrel-hotkey-<pid> <ref> down"
    const auto at = command.find(m_marker + " ");
    if (at == std::string::npos)
        return;
    std::string_view rest = std::string_view(command).substr(at + m_marker.size() + 1);
    HotKeyRef ref = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), ref);
    if (error != std::errc{})
        return;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    const auto found = m_registrations.find(ref);
    if (found == m_registrations.end())
        return;
    const auto kind =
        rest.starts_with(kReleased) ? KeyEventKind::hotKeyReleased : KeyEventKind::hotKeyPressed;
    if (!m_handler || !m_enabled.contains(kind))
        return;
    KeyEvent event;
    event.kind = kind;
    event.hotKeyID = found->second.id;
    m_handler(event);
}

void SwayHotkeys::onReload()
{
    for (const auto& [ref, registration] : m_registrations)
        bind(ref, registration);
}

OSStatus SwayHotkeys::installEventHandler(Handler handler)
{
    m_handler = std::move(handler);
    return noErr;
}

OSStatus SwayHotkeys::addEventTypes(const std::vector<KeyEventKind>& kinds)
{
    m_enabled.insert(kinds.begin(), kinds.end());
    return noErr;
}

OSStatus SwayHotkeys::removeEventTypes(const std::vector<KeyEventKind>& kinds)
{
    for (const auto kind : kinds)
        m_enabled.erase(kind);
    return noErr;
}

void SwayHotkeys::setMenuTrackingObserver(std::function<void(bool isOpen)> observer)
{
    // Compositor bindings reach us while our menus are open, so no raw key events are needed.
    m_menuObserver = std::move(observer);
}

void SwayHotkeys::setArmedObserver(std::function<void(bool armed)> observer)
{
    // The compositor tells us of the bound combination only, never of modifiers on their own.
    (void)observer;
}

} // namespace ondrel::platform::wayland
