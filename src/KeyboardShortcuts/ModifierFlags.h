#pragma once

// Two modifier forms from macOS stay: Carbon bits, in which shortcuts are stored and reach
// the hotkey service, and event flags, in which key events and menus speak. On Linux Command is
// the Super key and Option is Alt; the backends translate.

#include "platform/Hotkeys.h"

#include <cstdint>

namespace ondrel::shortcuts {

// Carbon modifier bits, the form in which shortcuts are stored and handed to the hotkey service.
namespace carbon {
inline constexpr std::int64_t cmdKey = platform::CarbonModifier::command;
inline constexpr std::int64_t shiftKey = platform::CarbonModifier::shift;
inline constexpr std::int64_t optionKey = platform::CarbonModifier::option;
inline constexpr std::int64_t controlKey = platform::CarbonModifier::control;
inline constexpr std::int64_t functionKey = platform::CarbonModifier::function;
} // namespace carbon

// Event modifier flags (the macOS NSEvent values), the form key events and menus use.
// Kept as a distinct type so that flags and Carbon bits cannot be mixed up silently.
struct ModifierFlags
{
    std::uint64_t rawValue = 0;

    static const ModifierFlags capsLock;
    static const ModifierFlags shift;
    static const ModifierFlags control;
    static const ModifierFlags option;
    static const ModifierFlags command;
    static const ModifierFlags numericPad;
    static const ModifierFlags function;
    static const ModifierFlags deviceIndependentFlagsMask;

    constexpr bool contains(ModifierFlags other) const
    {
        return (rawValue & other.rawValue) == other.rawValue;
    }
    constexpr bool isEmpty() const { return rawValue == 0; }

    friend constexpr ModifierFlags operator|(ModifierFlags a, ModifierFlags b)
    {
        return ModifierFlags{a.rawValue | b.rawValue};
    }
    friend constexpr ModifierFlags operator&(ModifierFlags a, ModifierFlags b)
    {
        return ModifierFlags{a.rawValue & b.rawValue};
    }
    friend constexpr ModifierFlags operator-(ModifierFlags a, ModifierFlags b)
    {
        return ModifierFlags{a.rawValue & ~b.rawValue};
    }
    constexpr bool operator==(const ModifierFlags&) const = default;
};

inline constexpr ModifierFlags ModifierFlags::capsLock{0x10000};
inline constexpr ModifierFlags ModifierFlags::shift{0x20000};
inline constexpr ModifierFlags ModifierFlags::control{0x40000};
inline constexpr ModifierFlags ModifierFlags::option{0x80000};
inline constexpr ModifierFlags ModifierFlags::command{0x100000};
inline constexpr ModifierFlags ModifierFlags::numericPad{0x200000};
inline constexpr ModifierFlags ModifierFlags::function{0x800000};
inline constexpr ModifierFlags ModifierFlags::deviceIndependentFlagsMask{0xFFFF0000};

namespace detail {
struct ModifierPair
{
    ModifierFlags flag;
    std::int64_t carbonBit;
};
inline constexpr ModifierPair modifierPairs[] = {
    {ModifierFlags::control, carbon::controlKey},   {ModifierFlags::option, carbon::optionKey},
    {ModifierFlags::shift, carbon::shiftKey},       {ModifierFlags::command, carbon::cmdKey},
    {ModifierFlags::function, carbon::functionKey},
};
} // namespace detail

/// Carbon bits of the five modifiers present in flags; Caps Lock, numeric pad and the rest drop.
constexpr std::int64_t carbonModifiers(ModifierFlags flags)
{
    std::int64_t bits = 0;
    for (const auto& pair : detail::modifierPairs) {
        if (flags.contains(pair.flag)) {
            bits |= pair.carbonBit;
        }
    }
    return bits;
}

/// Event flags of the five Carbon modifier bits present in bits; every other bit drops.
constexpr ModifierFlags modifierFlags(std::int64_t carbonBits)
{
    ModifierFlags flags;
    for (const auto& pair : detail::modifierPairs) {
        if ((carbonBits & pair.carbonBit) != 0) {
            flags = flags | pair.flag;
        }
    }
    return flags;
}

/// Keeps only the five known modifier bits (Carbon to flags and back).
constexpr std::int64_t normalizedCarbonModifiers(std::int64_t carbonBits)
{
    return carbonModifiers(modifierFlags(carbonBits));
}

} // namespace ondrel::shortcuts
