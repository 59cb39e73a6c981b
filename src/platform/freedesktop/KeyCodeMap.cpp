#include "KeyCodeMap.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ondrel::platform::freedesktop {

namespace {

struct KeyPosition
{
    std::uint32_t mac;
    std::uint16_t evdev;
};

// Every key of Apple's ANSI, ISO and JIS keyboards that has a counterpart on a PC keyboard,
// paired by where it sits. fn (0x3F) has none an X client could see, so it is absent.
constexpr std::array kPositions{
    KeyPosition{0x00, 30},  // A
    KeyPosition{0x01, 31},  // S
    KeyPosition{0x02, 32},  // D
    KeyPosition{0x03, 33},  // F
    KeyPosition{0x04, 35},  // H
    KeyPosition{0x05, 34},  // G
    KeyPosition{0x06, 44},  // Z
    KeyPosition{0x07, 45},  // X
    KeyPosition{0x08, 46},  // C
    KeyPosition{0x09, 47},  // V
    KeyPosition{0x0A, 86},  // ISO section -> KEY_102ND
    KeyPosition{0x0B, 48},  // B
    KeyPosition{0x0C, 16},  // Q
    KeyPosition{0x0D, 17},  // W
    KeyPosition{0x0E, 18},  // E
    KeyPosition{0x0F, 19},  // R
    KeyPosition{0x10, 21},  // Y
    KeyPosition{0x11, 20},  // T
    KeyPosition{0x12, 2},   // 1
    KeyPosition{0x13, 3},   // 2
    KeyPosition{0x14, 4},   // 3
    KeyPosition{0x15, 5},   // 4
    KeyPosition{0x16, 7},   // 6
    KeyPosition{0x17, 6},   // 5
    KeyPosition{0x18, 13},  // =
    KeyPosition{0x19, 10},  // 9
    KeyPosition{0x1A, 8},   // 7
    KeyPosition{0x1B, 12},  // -
    KeyPosition{0x1C, 9},   // 8
    KeyPosition{0x1D, 11},  // 0
    KeyPosition{0x1E, 27},  // ]
    KeyPosition{0x1F, 24},  // O
    KeyPosition{0x20, 22},  // U
    KeyPosition{0x21, 26},  // [
    KeyPosition{0x22, 23},  // I
    KeyPosition{0x23, 25},  // P
    KeyPosition{0x24, 28},  // Return
    KeyPosition{0x25, 38},  // L
    KeyPosition{0x26, 36},  // J
    KeyPosition{0x27, 40},  // '
    KeyPosition{0x28, 37},  // K
    KeyPosition{0x29, 39},  // ;
    KeyPosition{0x2A, 43},  // backslash
    KeyPosition{0x2B, 51},  // ,
    KeyPosition{0x2C, 53},  // /
    KeyPosition{0x2D, 49},  // N
    KeyPosition{0x2E, 50},  // M
    KeyPosition{0x2F, 52},  // .
    KeyPosition{0x30, 15},  // Tab
    KeyPosition{0x31, 57},  // Space
    KeyPosition{0x32, 41},  // `
    KeyPosition{0x33, 14},  // Delete -> Backspace
    KeyPosition{0x35, 1},   // Escape
    KeyPosition{0x36, 126}, // right Command -> right Meta
    KeyPosition{0x37, 125}, // Command -> left Meta
    KeyPosition{0x38, 42},  // Shift
    KeyPosition{0x39, 58},  // Caps Lock
    KeyPosition{0x3A, 56},  // Option -> left Alt
    KeyPosition{0x3B, 29},  // Control
    KeyPosition{0x3C, 54},  // right Shift
    KeyPosition{0x3D, 100}, // right Option -> right Alt
    KeyPosition{0x3E, 97},  // right Control
    KeyPosition{0x40, 187}, // F17
    KeyPosition{0x41, 83},  // keypad .
    KeyPosition{0x43, 55},  // keypad *
    KeyPosition{0x45, 78},  // keypad +
    KeyPosition{0x47, 69},  // keypad Clear -> Num Lock
    KeyPosition{0x48, 115}, // volume up
    KeyPosition{0x49, 114}, // volume down
    KeyPosition{0x4A, 113}, // mute
    KeyPosition{0x4B, 98},  // keypad /
    KeyPosition{0x4C, 96},  // keypad Enter
    KeyPosition{0x4E, 74},  // keypad -
    KeyPosition{0x4F, 188}, // F18
    KeyPosition{0x50, 189}, // F19
    KeyPosition{0x51, 117}, // keypad =
    KeyPosition{0x52, 82},  // keypad 0
    KeyPosition{0x53, 79},  // keypad 1
    KeyPosition{0x54, 80},  // keypad 2
    KeyPosition{0x55, 81},  // keypad 3
    KeyPosition{0x56, 75},  // keypad 4
    KeyPosition{0x57, 76},  // keypad 5
    KeyPosition{0x58, 77},  // keypad 6
    KeyPosition{0x59, 71},  // keypad 7
    KeyPosition{0x5A, 190}, // F20
    KeyPosition{0x5B, 72},  // keypad 8
    KeyPosition{0x5C, 73},  // keypad 9
    KeyPosition{0x5D, 124}, // JIS yen
    KeyPosition{0x5E, 89},  // JIS underscore -> KEY_RO
    KeyPosition{0x5F, 95},  // JIS keypad comma
    KeyPosition{0x60, 63},  // F5
    KeyPosition{0x61, 64},  // F6
    KeyPosition{0x62, 65},  // F7
    KeyPosition{0x63, 61},  // F3
    KeyPosition{0x64, 66},  // F8
    KeyPosition{0x65, 67},  // F9
    KeyPosition{0x66, 94},  // JIS Eisu -> Muhenkan (left of space)
    KeyPosition{0x67, 87},  // F11
    KeyPosition{0x68, 92},  // JIS Kana -> Henkan (right of space)
    KeyPosition{0x69, 183}, // F13
    KeyPosition{0x6A, 186}, // F16
    KeyPosition{0x6B, 184}, // F14
    KeyPosition{0x6D, 68},  // F10
    KeyPosition{0x6E, 127}, // contextual menu -> Compose/Menu
    KeyPosition{0x6F, 88},  // F12
    KeyPosition{0x71, 185}, // F15
    KeyPosition{0x72, 110}, // Help -> Insert
    KeyPosition{0x73, 102}, // Home
    KeyPosition{0x74, 104}, // Page Up
    KeyPosition{0x75, 111}, // forward delete -> Delete
    KeyPosition{0x76, 62},  // F4
    KeyPosition{0x77, 107}, // End
    KeyPosition{0x78, 60},  // F2
    KeyPosition{0x79, 109}, // Page Down
    KeyPosition{0x7A, 59},  // F1
    KeyPosition{0x7B, 105}, // left arrow
    KeyPosition{0x7C, 106}, // right arrow
    KeyPosition{0x7D, 108}, // down arrow
    KeyPosition{0x7E, 103}, // up arrow
};

} // namespace

std::optional<std::uint16_t> KeyCodeMap::evdevForMac(std::uint32_t macKeyCode)
{
    const auto* it = std::find_if(kPositions.begin(), kPositions.end(),
                                  [&](const KeyPosition& p) { return p.mac == macKeyCode; });
    if (it == kPositions.end())
        return std::nullopt;
    return it->evdev;
}

std::optional<std::uint32_t> KeyCodeMap::macForEvdev(std::uint32_t evdevCode)
{
    const auto* it = std::find_if(kPositions.begin(), kPositions.end(),
                                  [&](const KeyPosition& p) { return p.evdev == evdevCode; });
    if (it == kPositions.end())
        return std::nullopt;
    return it->mac;
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
