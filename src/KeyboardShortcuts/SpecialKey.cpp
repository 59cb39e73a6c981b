#include "SpecialKey.h"

#include "Localization.h"
#include "UnicodeText.h"

#include <array>
#include <unordered_map>

namespace ondrel::shortcuts {
namespace {

struct SpecialKeyInfo
{
    SpecialKey key;
    std::int64_t keyCode;
    const char* display;       // nullptr: the localized name of the key
    const char* keyEquivalent; // nullptr: menus cannot show the key
};

// Key-equivalent glyphs are the display glyphs, not control characters; F-keys use the
// function-key private-use characters menus understand.
constexpr std::array<SpecialKeyInfo, 53> specialKeyTable{{
    {SpecialKey::returnKey, 36, "\u21A9", "\u21A9"},
    {SpecialKey::deleteKey, 51, "\u232B", "\u232B"},
    {SpecialKey::deleteForward, 117, "\u2326", "\u2326"},
    {SpecialKey::end, 119, "\u2198", "\u2198"},
    {SpecialKey::escape, 53, "\u238B", "\u238B"},
    {SpecialKey::help, 114, "?\u20DD", "?\u20DD"},
    {SpecialKey::home, 115, "\u2196", "\u2196"},
    {SpecialKey::space, 49, nullptr, " "},
    {SpecialKey::tab, 48, "\u21E5", "\u21E5"},
    {SpecialKey::pageUp, 116, "\u21DE", "\u21DE"},
    {SpecialKey::pageDown, 121, "\u21DF", "\u21DF"},
    {SpecialKey::upArrow, 126, "\u2191", "\u2191"},
    {SpecialKey::rightArrow, 124, "\u2192", "\u2192"},
    {SpecialKey::downArrow, 125, "\u2193", "\u2193"},
    {SpecialKey::leftArrow, 123, "\u2190", "\u2190"},
    {SpecialKey::f1, 122, "F1", "\uF704"},
    {SpecialKey::f2, 120, "F2", "\uF705"},
    {SpecialKey::f3, 99, "F3", "\uF706"},
    {SpecialKey::f4, 118, "F4", "\uF707"},
    {SpecialKey::f5, 96, "F5", "\uF708"},
    {SpecialKey::f6, 97, "F6", "\uF709"},
    {SpecialKey::f7, 98, "F7", "\uF70A"},
    {SpecialKey::f8, 100, "F8", "\uF70B"},
    {SpecialKey::f9, 101, "F9", "\uF70C"},
    {SpecialKey::f10, 109, "F10", "\uF70D"},
    {SpecialKey::f11, 103, "F11", "\uF70E"},
    {SpecialKey::f12, 111, "F12", "\uF70F"},
    {SpecialKey::f13, 105, "F13", "\uF710"},
    {SpecialKey::f14, 107, "F14", "\uF711"},
    {SpecialKey::f15, 113, "F15", "\uF712"},
    {SpecialKey::f16, 106, "F16", "\uF713"},
    {SpecialKey::f17, 64, "F17", "\uF714"},
    {SpecialKey::f18, 79, "F18", "\uF715"},
    {SpecialKey::f19, 80, "F19", "\uF716"},
    {SpecialKey::f20, 90, "F20", "\uF717"},
    {SpecialKey::keypad0, 82, "0\u20E3", nullptr},
    {SpecialKey::keypad1, 83, "1\u20E3", nullptr},
    {SpecialKey::keypad2, 84, "2\u20E3", nullptr},
    {SpecialKey::keypad3, 85, "3\u20E3", nullptr},
    {SpecialKey::keypad4, 86, "4\u20E3", nullptr},
    {SpecialKey::keypad5, 87, "5\u20E3", nullptr},
    {SpecialKey::keypad6, 88, "6\u20E3", nullptr},
    {SpecialKey::keypad7, 89, "7\u20E3", nullptr},
    {SpecialKey::keypad8, 91, "8\u20E3", nullptr},
    {SpecialKey::keypad9, 92, "9\u20E3", nullptr},
    {SpecialKey::keypadClear, 71, "\u2612\u20E3", nullptr},
    {SpecialKey::keypadDecimal, 65, ".\u20E3", nullptr},
    {SpecialKey::keypadDivide, 75, "/\u20E3", nullptr},
    {SpecialKey::keypadEnter, 76, "\u21A9\u20E3", nullptr},
    {SpecialKey::keypadEquals, 81, "=\u20E3", nullptr},
    {SpecialKey::keypadMinus, 78, "-\u20E3", nullptr},
    {SpecialKey::keypadMultiply, 67, "*\u20E3", nullptr},
    {SpecialKey::keypadPlus, 69, "+\u20E3", nullptr},
}};

constexpr bool tableFollowsDeclarationOrder()
{
    for (std::size_t i = 0; i < specialKeyTable.size(); ++i) {
        if (static_cast<std::size_t>(specialKeyTable[i].key) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsDeclarationOrder(), "info() indexes the table by enumeration value");

const SpecialKeyInfo& info(SpecialKey key)
{
    return specialKeyTable[static_cast<std::size_t>(key)];
}

} // namespace

std::span<const SpecialKey> allSpecialKeys()
{
    static const auto keys = [] {
        std::array<SpecialKey, specialKeyTable.size()> result{};
        for (std::size_t i = 0; i < specialKeyTable.size(); ++i) {
            result[i] = specialKeyTable[i].key;
        }
        return result;
    }();
    return keys;
}

std::optional<SpecialKey> specialKey(std::int64_t keyCode)
{
    static const auto byKeyCode = [] {
        std::unordered_map<std::int64_t, SpecialKey> map;
        for (const auto& entry : specialKeyTable) {
            map.emplace(entry.keyCode, entry.key);
        }
        return map;
    }();
    const auto found = byKeyCode.find(keyCode);
    if (found == byKeyCode.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::int64_t keyCode(SpecialKey key)
{
    return info(key).keyCode;
}

std::string displayString(SpecialKey key)
{
    const auto& entry = info(key);
    if (entry.display == nullptr) {
        return capitalized(localized("space_key"));
    }
    return entry.display;
}

std::optional<std::string> keyEquivalent(SpecialKey key)
{
    const auto& entry = info(key);
    if (entry.keyEquivalent == nullptr) {
        return std::nullopt;
    }
    return std::string(entry.keyEquivalent);
}

} // namespace ondrel::shortcuts
