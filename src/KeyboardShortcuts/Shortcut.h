#pragma once

// A shortcut keeps the macOS virtual key code and Carbon modifier bits it is stored with
// ({"carbonKeyCode":9,"carbonModifiers":768} is Shift+Command+V), so stored preferences mean the
// same on every platform. Key.h names the key codes; ModifierFlags.h the modifier forms.

#include "Key.h"
#include "ModifierFlags.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::platform {
class KeyboardLayout;
}

namespace ondrel::shortcuts {

// A key event as the recorder sees it, in the macOS event model (type 10 key down, 11 key up).
struct InputEvent
{
    static constexpr std::uint32_t keyDownType = 10;
    static constexpr std::uint32_t keyUpType = 11;
    static constexpr std::uint32_t flagsChangedType = 12;

    std::uint32_t type = keyDownType;
    std::int64_t keyCode = 0;
    ModifierFlags modifierFlags;
};

// A key combination: a macOS virtual key code and Carbon modifier bits.
struct Shortcut
{
    std::int64_t carbonKeyCode = 0;
    std::int64_t carbonModifiers = 0;

    /// Keeps the key code and only the five known modifier bits.
    Shortcut(std::int64_t carbonKeyCode, std::int64_t carbonModifiers);
    /// The key with the Carbon bits of the given event flags.
    explicit Shortcut(Key key, ModifierFlags modifiers = {});

    /// Both values exactly as given (stored values are taken as they are).
    static Shortcut withStoredValues(std::int64_t carbonKeyCode, std::int64_t carbonModifiers);
    /// The combination of a key-down or key-up event without fn; none for other events.
    static std::optional<Shortcut> fromEvent(const InputEvent& event);

    /// Compact JSON text, {"carbonKeyCode":9,"carbonModifiers":768}; none for values that could
    /// not be read back (a key code outside 0...65535, modifiers outside 0...2^32-1).
    std::optional<std::string> jsonText() const;
    /// Reads the JSON record; none for anything else or values no key can have.
    static std::optional<Shortcut> fromJsonText(std::string_view text);

    /// The event modifier flags of carbonModifiers.
    ModifierFlags modifiers() const;
    /// Display text: modifier glyphs in the fixed order, then the key's text.
    std::string description(platform::KeyboardLayout& layout) const;
    /// The text a menu item uses for this key; none when the key has none.
    std::optional<std::string> nsMenuItemKeyEquivalent(platform::KeyboardLayout& layout) const;

    bool operator==(const Shortcut&) const = default;

private:
    struct StoredValues
    {};
    Shortcut(StoredValues, std::int64_t carbonKeyCode, std::int64_t carbonModifiers);
};

/// The largest key code the layout translation and the hotkey service accept.
inline constexpr std::int64_t maximumKeyCode = 0xFFFF;
/// The largest modifier value the hotkey service accepts.
inline constexpr std::int64_t maximumCarbonModifiers = 0xFFFFFFFF;

/// The single character keyCode types on the current layout without modifiers; none for special
/// keys, key codes outside 0...65535, and keys that type nothing or more than one character.
std::optional<std::string> keyToCharacter(platform::KeyboardLayout& layout, std::int64_t keyCode);

} // namespace ondrel::shortcuts

template <>
struct std::hash<ondrel::shortcuts::Shortcut>
{
    std::size_t operator()(const ondrel::shortcuts::Shortcut& shortcut) const noexcept
    {
        const std::size_t keyHash = std::hash<std::int64_t>{}(shortcut.carbonKeyCode);
        const std::size_t modifiersHash = std::hash<std::int64_t>{}(shortcut.carbonModifiers);
        return keyHash ^ (modifiersHash + 0x9e3779b97f4a7c15ULL + (keyHash << 6) + (keyHash >> 2));
    }
};
