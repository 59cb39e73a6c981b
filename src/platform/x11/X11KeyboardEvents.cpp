#include "X11KeyboardEvents.h"

#include "X11Connection.h"
#include "X11Keymap.h"
#include "X11Log.h"
#include "X11Modifiers.h"
#include "platform/freedesktop/KeyCodeMap.h"

#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>

namespace ondrel::platform::x11 {

namespace {

// The Control and Shift keys' positions (evdev KEY_LEFTCTRL and KEY_LEFTSHIFT + 8) for a
// keymap without Control_L or Shift_L.
constexpr std::uint8_t kLeftControlPosition = 37;
constexpr std::uint8_t kLeftShiftPosition = 50;

} // namespace

X11KeyboardEvents::X11KeyboardEvents(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection))
{
    m_hasXTest = m_connection->hasXTest();
}

X11KeyboardEvents::~X11KeyboardEvents() = default;

bool X11KeyboardEvents::postPasteKeystroke(PasteKeystroke keystroke)
{
    if (!m_hasXTest || m_connection->hasError())
        return false;
    auto* c = m_connection->xcb();
    auto& keymap = m_connection->keymap();

    // The paste key is the key that types "v" now (Dvorak moves it), else the V position.
    const auto v =
        keymap.keycodeForKeysym(XKB_KEY_v).value_or(freedesktop::KeyCodeMap::xKeycodeOfVPosition);
    const auto& modifierMap = keymap.modifierMap();
    // The modifier's usual key, else any key of its bit in the modifier map, else its position.
    auto modifierKey = [&](std::uint32_t keysym, int bit, std::uint8_t position) {
        const auto key = keymap.keycodeForKeysym(keysym).value_or(0);
        if (key != 0)
            return key;
        return modifierMap[bit].empty() ? position : modifierMap[bit].front();
    };
    std::vector<std::uint8_t> pasteModifiers{
        modifierKey(XKB_KEY_Control_L, 2, kLeftControlPosition)};
    if (keystroke == PasteKeystroke::terminal)
        pasteModifiers.push_back(modifierKey(XKB_KEY_Shift_L, 0, kLeftShiftPosition));

    const auto pressed = m_connection->heldKeys();
    if (!pressed)
        return false;
    const KeyBitmap down = *pressed;
    const auto held = heldModifierKeycodes(down, modifierMap, keymap.roles());

    std::vector<xcb_void_cookie_t> cookies;
    const bool vIsDown = (down[v / 8] >> (v % 8)) & 1u;
    for (const auto& key : pasteKeySequence(held, pasteModifiers, v, vIsDown)) {
        cookies.push_back(
            xcb_test_fake_input_checked(c, key.press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, key.keycode,
                                        XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0));
    }
    // The server handles them in order; waiting for the last check also means the
    // keystroke is in the server's queue before we return.
    bool delivered = true;
    for (const auto cookie : cookies) {
        if (XcbPointer<xcb_generic_error_t> error{xcb_request_check(c, cookie)}) {
            qCWarning(x11Log) << "XTEST refused a key event, error" << error->error_code;
            delivered = false;
        }
    }
    return delivered;
}

} // namespace ondrel::platform::x11
