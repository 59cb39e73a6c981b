#include "KeyCodeMap.h"

#include <algorithm>
#include <array>

namespace ondrel::platform::freedesktop {

namespace {

// The evdev code (linux/input-event-codes.h) of the key at each macOS key code's place on
// Apple's ANSI, ISO and JIS keyboards; 0 where a PC keyboard has no counterpart. fn (0x3F) has
// none an X client could see. Pairs by position, not by label: ISO section is KEY_102ND,
// Delete is Backspace and forward delete is Delete, Help is Insert, keypad Clear is Num Lock,
// the contextual-menu key is Compose, JIS Eisu and Kana are Muhenkan and Henkan (either side
// of the space bar), JIS underscore is KEY_RO, Command is Meta and Option is Alt.
// clang-format off
constexpr std::array<std::uint16_t, 0x7F> kEvdevOfMac{
    30,  31,  32,  33,  35,  34,  44,  45,  // 0x00: A S D F H G Z X
    46,  47,  86,  48,  16,  17,  18,  19,  // 0x08: C V section B Q W E R
    21,  20,  2,   3,   4,   5,   7,   6,   // 0x10: Y T 1 2 3 4 6 5
    13,  10,  8,   12,  9,   11,  27,  24,  // 0x18: = 9 7 - 8 0 ] O
    22,  26,  23,  25,  28,  38,  36,  40,  // 0x20: U [ I P Return L J '
    37,  39,  43,  51,  53,  49,  50,  52,  // 0x28: K ; backslash , / N M .
    15,  57,  41,  14,  0,   1,   126, 125, // 0x30: Tab Space ` Delete - Escape R-Command Command
    42,  58,  56,  29,  54,  100, 97,  0,   // 0x38: Shift Caps Option Ctrl, right Shift Option Ctrl
    187, 83,  0,   55,  0,   78,  0,   69,  // 0x40: F17, keypad: . - * - + - Clear
    115, 114, 113, 98,  96,  0,   74,  188, // 0x48: volume up down mute, keypad: / Enter - -, F18
    189, 117, 82,  79,  80,  81,  75,  76,  // 0x50: F19, keypad: = 0 1 2 3 4 5
    77,  71,  190, 72,  73,  124, 89,  95,  // 0x58: keypad 6 7, F20, keypad 8 9, JIS: yen _ ,
    63,  64,  65,  61,  66,  67,  94,  87,  // 0x60: F5 F6 F7 F3 F8 F9 Eisu F11
    92,  183, 186, 184, 0,   68,  127, 88,  // 0x68: Kana F13 F16 F14 - F10 menu F12
    0,   185, 110, 102, 104, 111, 62,  107, // 0x70: - F15 Help Home PageUp forward-delete F4 End
    60,  109, 59,  105, 106, 108, 103,      // 0x78: F2 PageDown F1 left right down up
};
// clang-format on

} // namespace

std::optional<std::uint16_t> KeyCodeMap::evdevForMac(std::uint32_t macKeyCode)
{
    if (macKeyCode >= kEvdevOfMac.size() || kEvdevOfMac[macKeyCode] == 0)
        return std::nullopt;
    return kEvdevOfMac[macKeyCode];
}

std::optional<std::uint32_t> KeyCodeMap::macForEvdev(std::uint32_t evdevCode)
{
    const auto* it = std::find(kEvdevOfMac.begin(), kEvdevOfMac.end(), evdevCode);
    if (evdevCode == 0 || it == kEvdevOfMac.end())
        return std::nullopt;
    return static_cast<std::uint32_t>(it - kEvdevOfMac.begin());
}

std::optional<std::uint8_t> KeyCodeMap::xKeycodeForMac(std::uint32_t macKeyCode)
{
    const auto evdev = evdevForMac(macKeyCode);
    // X keycodes are one byte; evdev codes beyond 247 have no core keycode.
    if (!evdev || *evdev + xKeycodeOffset > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(*evdev + xKeycodeOffset);
}

std::optional<std::uint32_t> KeyCodeMap::macForXKeycode(std::uint32_t xKeycode)
{
    if (xKeycode < xKeycodeOffset)
        return std::nullopt;
    return macForEvdev(xKeycode - xKeycodeOffset);
}

} // namespace ondrel::platform::freedesktop
