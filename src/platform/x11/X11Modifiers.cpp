#include "X11Modifiers.h"

#include <algorithm>

#include <xkbcommon/xkbcommon-keysyms.h>

namespace ondrel::platform::x11 {

namespace {

bool rowHasKeysym(const std::vector<std::uint8_t>& row, const KeysymsOfKeycode& keysymsOf,
                  std::initializer_list<std::uint32_t> wanted)
{
    for (const auto keycode : row) {
        for (const auto sym : keysymsOf(keycode)) {
            if (std::find(wanted.begin(), wanted.end(), sym) != wanted.end())
                return true;
        }
    }
    return false;
}

} // namespace

ModifierRoles modifierRoles(const ModifierMap& map, const KeysymsOfKeycode& keysymsOf)
{
    ModifierRoles roles;
    bool superFound = false;
    bool altFound = false;
    // Shift, Lock and Control (rows 0-2) are fixed by the protocol; Mod1..Mod5 vary.
    for (std::size_t row = 3; row < map.size(); ++row) {
        const auto bit = static_cast<std::uint16_t>(1u << row);
        if (!superFound && rowHasKeysym(map[row], keysymsOf, {XKB_KEY_Super_L, XKB_KEY_Super_R})) {
            roles.super = bit;
            superFound = true;
        }
        if (!altFound && rowHasKeysym(map[row], keysymsOf, {XKB_KEY_Alt_L, XKB_KEY_Alt_R})) {
            roles.alt = bit;
            altFound = true;
        }
        if (roles.numLock == 0 && rowHasKeysym(map[row], keysymsOf, {XKB_KEY_Num_Lock}))
            roles.numLock = bit;
        if (roles.scrollLock == 0 && rowHasKeysym(map[row], keysymsOf, {XKB_KEY_Scroll_Lock}))
            roles.scrollLock = bit;
    }
    return roles;
}

std::optional<std::uint16_t> xModifiersForCarbon(std::uint32_t carbon, const ModifierRoles& roles)
{
    if (carbon & CarbonModifier::function)
        return std::nullopt;
    std::uint16_t mods = 0;
    if (carbon & CarbonModifier::command)
        mods |= roles.super;
    if (carbon & CarbonModifier::shift)
        mods |= XModifier::shift;
    if (carbon & CarbonModifier::option)
        mods |= roles.alt;
    if (carbon & CarbonModifier::control)
        mods |= XModifier::control;
    return mods;
}

std::uint32_t carbonForXModifiers(std::uint16_t state, const ModifierRoles& roles)
{
    const auto clean = cleanState(state, roles);
    std::uint32_t carbon = 0;
    if (clean & roles.super)
        carbon |= CarbonModifier::command;
    if (clean & XModifier::shift)
        carbon |= CarbonModifier::shift;
    if (clean & roles.alt)
        carbon |= CarbonModifier::option;
    if (clean & XModifier::control)
        carbon |= CarbonModifier::control;
    return carbon;
}

std::uint16_t cleanState(std::uint16_t state, const ModifierRoles& roles)
{
    return static_cast<std::uint16_t>(state & XModifier::all & ~roles.lockBits());
}

std::vector<std::uint16_t> lockVariants(std::uint16_t mods, const ModifierRoles& roles)
{
    std::vector<std::uint16_t> locks{0};
    for (const auto bit : {XModifier::lock, roles.numLock, roles.scrollLock}) {
        if (bit == 0 || (mods & bit))
            continue;
        const auto size = locks.size();
        for (std::size_t i = 0; i < size; ++i) {
            const auto combined = static_cast<std::uint16_t>(locks[i] | bit);
            if (std::find(locks.begin(), locks.end(), combined) == locks.end())
                locks.push_back(combined);
        }
    }
    std::vector<std::uint16_t> variants;
    variants.reserve(locks.size());
    for (const auto lock : locks)
        variants.push_back(static_cast<std::uint16_t>(mods | lock));
    return variants;
}

std::vector<std::uint8_t> heldModifierKeycodes(const KeyBitmap& down, const ModifierMap& map,
                                               const ModifierRoles& roles)
{
    const auto lockBits = roles.lockBits();
    std::vector<std::uint8_t> held;
    std::vector<std::uint8_t> lockKeys;
    for (std::size_t row = 0; row < map.size(); ++row) {
        if (lockBits & (1u << row))
            lockKeys.insert(lockKeys.end(), map[row].begin(), map[row].end());
    }
    for (std::size_t row = 0; row < map.size(); ++row) {
        if (lockBits & (1u << row))
            continue;
        for (const auto keycode : map[row]) {
            const bool isDown = (down[keycode / 8] >> (keycode % 8)) & 1u;
            if (keycode == 0 || !isDown)
                continue;
            if (std::find(lockKeys.begin(), lockKeys.end(), keycode) != lockKeys.end())
                continue;
            if (std::find(held.begin(), held.end(), keycode) == held.end())
                held.push_back(keycode);
        }
    }
    return held;
}

std::vector<FakeKey> pasteKeySequence(const std::vector<std::uint8_t>& heldModifiers,
                                      const std::vector<std::uint8_t>& pasteModifiers,
                                      std::uint8_t vKeycode, bool vIsDown)
{
    std::vector<FakeKey> sequence;
    sequence.reserve((heldModifiers.size() + pasteModifiers.size()) * 2 + 3);
    if (vIsDown)
        sequence.push_back({false, vKeycode});
    for (const auto keycode : heldModifiers)
        sequence.push_back({false, keycode});
    for (const auto keycode : pasteModifiers)
        sequence.push_back({true, keycode});
    sequence.push_back({true, vKeycode});
    sequence.push_back({false, vKeycode});
    for (auto it = pasteModifiers.rbegin(); it != pasteModifiers.rend(); ++it)
        sequence.push_back({false, *it});
    for (auto it = heldModifiers.rbegin(); it != heldModifiers.rend(); ++it)
        sequence.push_back({true, *it});
    return sequence;
}

} // namespace ondrel::platform::x11
