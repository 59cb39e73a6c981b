#include "SwayKeyboardLayout.h"

#include "SwayBindings.h"
#include "SwayHotkeys.h"
#include "SwayIpc.h"
#include "XkbKeymap.h"

#include "platform/common/ToolkitKeys.h"
#include "platform/freedesktop/KeyCodeMap.h"
#include "platform/freedesktop/KeysymText.h"

#include <QJsonObject>

#include <algorithm>

namespace ondrel::platform::wayland {

SwayKeyboardLayout::SwayKeyboardLayout(std::shared_ptr<SwayIpc> sway,
                                       std::shared_ptr<XkbKeymap> keymap)
    : m_sway(std::move(sway)), m_keymap(std::move(keymap))
{}

SwayKeyboardLayout::~SwayKeyboardLayout() = default;

std::optional<std::string> SwayKeyboardLayout::characterForKeyCode(std::uint32_t keyCode)
{
    const auto keycode = freedesktop::KeyCodeMap::xKeycodeForMac(keyCode);
    if (!keycode)
        return std::nullopt;
    const auto keysym = m_keymap->keysymAt(*keycode);
    if (!keysym)
        return std::nullopt;
    return freedesktop::textOfKeysym(*keysym);
}

std::vector<SystemShortcut> SwayKeyboardLayout::systemShortcuts()
{
    const auto config = m_sway->request(SwayIpc::Message::getConfig);
    if (!config)
        return {};
    const auto text = config->object().value(QStringLiteral("config")).toString().toStdString();
    std::vector<SystemShortcut> shortcuts;
    for (const auto& binding : swayBindings(text, *m_keymap, SwayHotkeys::ownMarker())) {
        const auto keyCode = freedesktop::KeyCodeMap::macForXKeycode(binding.xkbKeycode);
        if (!keyCode)
            continue;
        const SystemShortcut shortcut{*keyCode, binding.carbonModifiers, true};
        if (std::find(shortcuts.begin(), shortcuts.end(), shortcut) == shortcuts.end())
            shortcuts.push_back(shortcut);
    }
    return shortcuts;
}

bool SwayKeyboardLayout::isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    const auto shortcuts = systemShortcuts();
    return std::any_of(shortcuts.begin(), shortcuts.end(), [&](const SystemShortcut& s) {
        return s.keyCode == keyCode && s.carbonModifiers == carbonModifiers;
    });
}

std::optional<KeyStroke> SwayKeyboardLayout::keyStroke(const ToolkitKeyEvent& event)
{
    // Qt on Wayland reports XKB keycodes as on X11, so a key is stored by its position there too.
    return keyStrokeOf(event, &freedesktop::KeyCodeMap::macForXKeycode);
}

} // namespace ondrel::platform::wayland
