// Presses Super+Shift+V on a virtual keyboard of its own with an ordinary keymap, so sway's
// key-code bindings see the keys a real keyboard sends (wtype types through a keymap it makes
// up). The modifiers stay down for the given milliseconds after the V (default 300), as a
// person's fingers do while the paste happens. With "return" it presses Return instead.
//   sway_press [HOLD_MS | return]
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/XkbKeymap.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>

using namespace ondrel::platform::wayland;

int main(int argc, char** argv)
{
    const bool pressReturn = argc > 1 && std::strcmp(argv[1], "return") == 0;
    const int holdMs = argc > 1 && !pressReturn ? std::atoi(argv[1]) : 300;
    auto connection = WaylandConnection::open();
    if (!connection || !connection->virtualKeyboardManager() || !connection->seat()) {
        std::cerr << "sway_press: no compositor with a virtual keyboard\n";
        return 69;
    }
    XkbKeymap keymap(XkbNames{});
    const auto text = keymap.text();
    const int fd = ::memfd_create("sway-press-keymap", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(text.size() + 1)) != 0 ||
        ::write(fd, text.c_str(), text.size() + 1) != static_cast<ssize_t>(text.size() + 1)) {
        std::cerr << "sway_press: could not write the keymap\n";
        return 70;
    }
    auto* keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
        connection->virtualKeyboardManager(), connection->seat());
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(text.size() + 1));
    ::close(fd);
    connection->roundtrip();

    // evdev codes: left Super 125, left Shift 42, V 47, Return 28.
    const std::uint32_t super = 125, shift = 42, v = 47, enter = 28;
    std::uint32_t time = 1;
    if (pressReturn) {
        zwp_virtual_keyboard_v1_key(keyboard, time++, enter, 1);
        zwp_virtual_keyboard_v1_key(keyboard, time++, enter, 0);
        connection->roundtrip();
        zwp_virtual_keyboard_v1_destroy(keyboard);
        connection->roundtrip();
        return 0;
    }
    const auto mods =
        keymap.modifierBit(XKB_MOD_NAME_LOGO) | keymap.modifierBit(XKB_MOD_NAME_SHIFT);
    zwp_virtual_keyboard_v1_key(keyboard, time++, super, 1);
    zwp_virtual_keyboard_v1_key(keyboard, time++, shift, 1);
    zwp_virtual_keyboard_v1_modifiers(keyboard, mods, 0, 0, 0);
    zwp_virtual_keyboard_v1_key(keyboard, time++, v, 1);
    zwp_virtual_keyboard_v1_key(keyboard, time++, v, 0);
    connection->roundtrip();
    std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    zwp_virtual_keyboard_v1_key(keyboard, time++, shift, 0);
    zwp_virtual_keyboard_v1_key(keyboard, time++, super, 0);
    zwp_virtual_keyboard_v1_modifiers(keyboard, 0, 0, 0, 0);
    connection->roundtrip();
    zwp_virtual_keyboard_v1_destroy(keyboard);
    connection->roundtrip();
    return 0;
}
