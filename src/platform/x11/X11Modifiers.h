#pragma once

#include "platform/Hotkeys.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace ondrel::platform::x11 {

// The eight core modifier bits of an X key event's state.
namespace XModifier {
inline constexpr std::uint16_t shift = 0x01;
inline constexpr std::uint16_t lock = 0x02;
inline constexpr std::uint16_t control = 0x04;
inline constexpr std::uint16_t mod1 = 0x08;
inline constexpr std::uint16_t mod2 = 0x10;
inline constexpr std::uint16_t mod4 = 0x40;
inline constexpr std::uint16_t all = 0xFF;
} // namespace XModifier

// The modifier map: for each of the eight modifiers, the keycodes that set it.
using ModifierMap = std::array<std::vector<std::uint8_t>, 8>;
// Keysyms a keycode produces (any level); used to tell which modifier bit is which.
using KeysymsOfKeycode = std::function<std::vector<std::uint32_t>(std::uint8_t keycode)>;
// The keys held down now, as XQueryKeymap reports them: one bit per keycode.
using KeyBitmap = std::array<std::uint8_t, 32>;

// Which X modifier bit plays which role. Super and Alt are usually Mod4 and Mod1, and
// NumLock usually Mod2, but the modifier map decides.
struct ModifierRoles
{
    std::uint16_t super = XModifier::mod4;
    std::uint16_t alt = XModifier::mod1;
    std::uint16_t numLock = 0;
    std::uint16_t scrollLock = 0;

    /// Bits that only record a lock state and must not change what a combination means.
    std::uint16_t lockBits() const { return XModifier::lock | numLock | scrollLock; }
    bool operator==(const ModifierRoles&) const = default;
};

/// Finds the roles from the modifier map and the keysyms on its keys.
ModifierRoles modifierRoles(const ModifierMap& map, const KeysymsOfKeycode& keysymsOf);

/// X modifier bits for Carbon bits; none when a bit (fn) has no X counterpart.
std::optional<std::uint16_t> xModifiersForCarbon(std::uint32_t carbon, const ModifierRoles& roles);
/// Carbon bits for an X state; lock bits and bits without a counterpart are dropped.
std::uint32_t carbonForXModifiers(std::uint16_t state, const ModifierRoles& roles);
/// The modifier bits of an event state without lock bits, pointer buttons or the group.
std::uint16_t cleanState(std::uint16_t state, const ModifierRoles& roles);
/// mods combined with every subset of the lock bits (Caps, Num, Scroll), without repeats.
std::vector<std::uint16_t> lockVariants(std::uint16_t mods, const ModifierRoles& roles);

/// Keycodes of modifier keys that are down now, each once, lock keys excluded (pressing one
/// again would toggle its lock).
std::vector<std::uint8_t> heldModifierKeycodes(const KeyBitmap& down, const ModifierMap& map,
                                               const ModifierRoles& roles);

struct FakeKey
{
    bool press = true;
    std::uint8_t keycode = 0;

    bool operator==(const FakeKey&) const = default;
};

/// A paste keystroke (Control+V, or Control+Shift+V) as the target must see it: every held
/// modifier key released first, the paste's modifier keys pressed in order, V typed, they are
/// released in reverse, then the held keys pressed again so the user's hands stay in charge.
/// A V key still down (the hotkey's own key) is released first and left up: the server
/// ignores a press of a key that is already down, and pressing it again would type a "v".
std::vector<FakeKey> pasteKeySequence(const std::vector<std::uint8_t>& heldModifiers,
                                      const std::vector<std::uint8_t>& pasteModifiers,
                                      std::uint8_t vKeycode, bool vIsDown = false);

} // namespace ondrel::platform::x11
