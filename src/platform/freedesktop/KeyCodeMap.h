#pragma once

#include <cstdint>
#include <optional>

namespace ondrel::platform::freedesktop {

// Translates between macOS virtual key codes (the stored form of every shortcut) and the
// keys of a Linux keyboard. Keys are matched by their position on the keyboard, never by
// the symbol the current layout prints on them, so a stored shortcut means the same key
// on every layout and both platforms.
class KeyCodeMap final
{
public:
    /// The evdev code (linux/input-event-codes.h) of the key at the position of a macOS key.
    static std::optional<std::uint16_t> evdevForMac(std::uint32_t macKeyCode);
    /// The macOS virtual key code of the key at the position of an evdev code.
    static std::optional<std::uint32_t> macForEvdev(std::uint32_t evdevCode);
    /// The X keycode (evdev + 8) of the key at the position of a macOS key.
    static std::optional<std::uint8_t> xKeycodeForMac(std::uint32_t macKeyCode);
    /// The macOS virtual key code of an X keycode.
    static std::optional<std::uint32_t> macForXKeycode(std::uint32_t xKeycode);

    /// X keycodes are evdev codes shifted by eight.
    static constexpr std::uint32_t xKeycodeOffset = 8;
    /// The key at the V position (evdev KEY_V + 8) for when the layout cannot tell.
    static constexpr std::uint8_t xKeycodeOfVPosition = 55;
};

} // namespace ondrel::platform::freedesktop
