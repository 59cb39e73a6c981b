#include "X11KeyboardLayout.h"

#include "KeyCodeMap.h"
#include "X11Connection.h"
#include "X11Keymap.h"
#include "X11Modifiers.h"

#include "platform/common/ToolkitKeys.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>

namespace ondrel::platform::x11 {

namespace {

struct DeadKey
{
    std::uint32_t keysym;
    char32_t accent;
};

// A dead key types nothing by itself; a shortcut on it is shown by its accent.
constexpr std::array kDeadKeys{
    DeadKey{XKB_KEY_dead_grave, U'`'},          DeadKey{XKB_KEY_dead_acute, U'\u00B4'},
    DeadKey{XKB_KEY_dead_circumflex, U'^'},     DeadKey{XKB_KEY_dead_tilde, U'~'},
    DeadKey{XKB_KEY_dead_macron, U'\u00AF'},    DeadKey{XKB_KEY_dead_breve, U'\u02D8'},
    DeadKey{XKB_KEY_dead_abovedot, U'\u02D9'},  DeadKey{XKB_KEY_dead_diaeresis, U'\u00A8'},
    DeadKey{XKB_KEY_dead_abovering, U'\u02DA'}, DeadKey{XKB_KEY_dead_doubleacute, U'\u02DD'},
    DeadKey{XKB_KEY_dead_caron, U'\u02C7'},     DeadKey{XKB_KEY_dead_cedilla, U'\u00B8'},
    DeadKey{XKB_KEY_dead_ogonek, U'\u02DB'},
};

std::string utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

} // namespace

X11KeyboardLayout::X11KeyboardLayout(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection))
{}

X11KeyboardLayout::~X11KeyboardLayout() = default;

std::optional<std::string> X11KeyboardLayout::textOfKeysym(std::uint32_t keysym)
{
    const auto* dead = std::find_if(kDeadKeys.begin(), kDeadKeys.end(),
                                    [&](const DeadKey& d) { return d.keysym == keysym; });
    if (dead != kDeadKeys.end())
        return utf8Of(dead->accent);
    const auto c = xkb_keysym_to_utf32(keysym);
    if (c == 0 || c < 0x20 || (c >= 0x7F && c < 0xA0))
        return std::nullopt;
    return utf8Of(c);
}

std::optional<std::string> X11KeyboardLayout::characterForKeyCode(std::uint32_t keyCode)
{
    const auto keycode = KeyCodeMap::xKeycodeForMac(keyCode);
    if (!keycode)
        return std::nullopt;
    const auto keysym = m_connection->keymap().latinKeysymAt(*keycode);
    if (!keysym)
        return std::nullopt;
    return textOfKeysym(*keysym);
}

std::vector<SystemShortcut> X11KeyboardLayout::systemShortcuts()
{
    return {};
}

bool X11KeyboardLayout::isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    const auto keycode = KeyCodeMap::xKeycodeForMac(keyCode);
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
    // The position, not the symbol: the hotkey grab maps the stored code back the same way.
    const auto keyCode = event.nativeScanCode != 0
                             ? KeyCodeMap::macForXKeycode(event.nativeScanCode)
                             : macKeyCodeForToolkitKey(event.key);
    if (!keyCode)
        return std::nullopt;
    return KeyStroke{*keyCode, carbonModifiersForToolkit(event.modifiers)};
}

} // namespace ondrel::platform::x11
