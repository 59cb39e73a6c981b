#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ondrel::shortcuts {

// Keys whose text is fixed instead of coming from the keyboard layout.
enum class SpecialKey
{
    returnKey,
    deleteKey,
    deleteForward,
    end,
    escape,
    help,
    home,
    space,
    tab,
    pageUp,
    pageDown,
    upArrow,
    rightArrow,
    downArrow,
    leftArrow,
    f1,
    f2,
    f3,
    f4,
    f5,
    f6,
    f7,
    f8,
    f9,
    f10,
    f11,
    f12,
    f13,
    f14,
    f15,
    f16,
    f17,
    f18,
    f19,
    f20,
    keypad0,
    keypad1,
    keypad2,
    keypad3,
    keypad4,
    keypad5,
    keypad6,
    keypad7,
    keypad8,
    keypad9,
    keypadClear,
    keypadDecimal,
    keypadDivide,
    keypadEnter,
    keypadEquals,
    keypadMinus,
    keypadMultiply,
    keypadPlus,
};

/// Every special key, in declaration order.
std::span<const SpecialKey> allSpecialKeys();
/// The special key at this virtual key code, or none for an ordinary key.
std::optional<SpecialKey> specialKey(std::int64_t keyCode);
/// The virtual key code of a special key.
std::int64_t keyCode(SpecialKey key);
/// The text shown for the key in a shortcut's display text.
std::string displayString(SpecialKey key);
/// The text a menu item uses for the key; none for the keypad keys.
std::optional<std::string> keyEquivalent(SpecialKey key);

} // namespace ondrel::shortcuts
