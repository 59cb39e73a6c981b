#include "X11KeyboardLayout.h"

#include "X11Connection.h"
#include "X11Keymap.h"
#include "X11Modifiers.h"

#include "platform/common/ToolkitKeys.h"
#include "platform/freedesktop/KeyCodeMap.h"
#include "platform/freedesktop/KeysymText.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>

namespace ondrel::platform::x11 {

X11KeyboardLayout::X11KeyboardLayout(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection))
{}

X11KeyboardLayout::~X11KeyboardLayout() = default;

std::optional<std::string> X11KeyboardLayout::characterForKeyCode(std::uint32_t keyCode)
{
    const auto keycode = freedesktop::KeyCodeMap::xKeycodeForMac(keyCode);
    if (!keycode)
        return std::nullopt;
    const auto keysym = m_connection->keymap().latinKeysymAt(*keycode);
    if (!keysym)
        return std::nullopt;
    return freedesktop::textOfKeysym(*keysym);
}

std::vector<SystemShortcut> X11KeyboardLayout::systemShortcuts()
{
    return {};
}

bool X11KeyboardLayout::isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    const auto keycode = freedesktop::KeyCodeMap::xKeycodeForMac(keyCode);
    const auto modifiers = xModifiersForCarbon(carbonModifiers, m_connection->keymap().roles());
    if (!keycode || !modifiers)
        return false;
    // Our own hotkey is not another program's; trying it would also drop our grab.
    if (m_connection->holdsKey(*keycode, *modifiers))
        return false;
    const auto result = m_connection->grabKey(*keycode, *modifiers);
    if (result == X11Connection::GrabResult::grabbed)
        m_connection->ungrabKey(*keycode, *modifiers);
    return result == X11Connection::GrabResult::taken;
}

std::optional<KeyStroke> X11KeyboardLayout::keyStroke(const ToolkitKeyEvent& event)
{
    return keyStrokeOf(event, &freedesktop::KeyCodeMap::macForXKeycode);
}

} // namespace ondrel::platform::x11
