#include "platform/x11/X11Modifiers.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <gtest/gtest.h>

#include <map>

namespace ondrel::platform::x11 {
namespace {

// The modifier map of a default Xorg keyboard (evdev keycodes).
const ModifierMap kXorgMap{{
    {50, 62},        // Shift: Shift_L, Shift_R
    {66},            // Lock: Caps_Lock
    {37, 105},       // Control
    {64, 108, 204},  // Mod1: Alt_L, Alt_R, Meta
    {77},            // Mod2: Num_Lock
    {},              // Mod3
    {133, 134, 206}, // Mod4: Super_L, Super_R, Super
    {92, 203},       // Mod5: ISO_Level3_Shift, Mode_switch
}};

const std::map<std::uint8_t, std::vector<std::uint32_t>> kXorgSyms{
    {50, {XKB_KEY_Shift_L}},          {62, {XKB_KEY_Shift_R}},
    {66, {XKB_KEY_Caps_Lock}},        {37, {XKB_KEY_Control_L}},
    {105, {XKB_KEY_Control_R}},       {64, {XKB_KEY_Alt_L, XKB_KEY_Meta_L}},
    {108, {XKB_KEY_Alt_R}},           {204, {XKB_KEY_NoSymbol, XKB_KEY_Meta_L}},
    {77, {XKB_KEY_Num_Lock}},         {133, {XKB_KEY_Super_L}},
    {134, {XKB_KEY_Super_R}},         {206, {XKB_KEY_NoSymbol, XKB_KEY_Super_L}},
    {92, {XKB_KEY_ISO_Level3_Shift}}, {203, {XKB_KEY_Mode_switch}},
    {78, {XKB_KEY_Scroll_Lock}},
};

std::vector<std::uint32_t> xorgSyms(std::uint8_t keycode)
{
    const auto it = kXorgSyms.find(keycode);
    return it == kXorgSyms.end() ? std::vector<std::uint32_t>{} : it->second;
}

KeyBitmap keysDown(const std::vector<std::uint8_t>& keycodes)
{
    KeyBitmap bits{};
    for (const auto keycode : keycodes)
        bits[keycode / 8] |= static_cast<std::uint8_t>(1u << (keycode % 8));
    return bits;
}

TEST(ModifierRoles, FollowTheMapWhenSuperAndNumLockMove)
{
    EXPECT_EQ(modifierRoles(kXorgMap, xorgSyms),
              (ModifierRoles{XModifier::mod4, XModifier::mod1, XModifier::mod2, 0}));
    ModifierMap map = kXorgMap;
    map[3] = {133};     // Mod1 now holds Super
    map[4] = {64, 108}; // Mod2 holds Alt
    map[5] = {77, 78};  // Mod3 holds Num_Lock and Scroll_Lock
    map[6] = {};
    EXPECT_EQ(modifierRoles(map, xorgSyms),
              (ModifierRoles{XModifier::mod1, XModifier::mod2, 0x20, 0x20}));
}

TEST(CarbonToX, ConvertsBothWaysFnHasNoXCounterpartAndLocksButtonsAndGroupAreDropped)
{
    const ModifierRoles roles{XModifier::mod4, XModifier::mod1, XModifier::mod2, 0};
    for (const auto& [carbon, x] :
         {std::pair<std::uint32_t, std::uint16_t>{0, 0},
          {CarbonModifier::command | CarbonModifier::shift, XModifier::mod4 | XModifier::shift},
          {CarbonModifier::option, XModifier::mod1},
          {CarbonModifier::control, XModifier::control},
          {0x1B00, XModifier::control | XModifier::mod1 | XModifier::shift | XModifier::mod4}}) {
        EXPECT_EQ(xModifiersForCarbon(carbon, roles), x) << carbon;
        EXPECT_EQ(carbonForXModifiers(x, roles), carbon) << carbon;
    }
    EXPECT_EQ(xModifiersForCarbon(CarbonModifier::function | CarbonModifier::command, {}),
              std::nullopt);

    const ModifierRoles withScrollLock{XModifier::mod4, XModifier::mod1, XModifier::mod2, 0x80};
    // Caps Lock, NumLock, ScrollLock, Button1 (0x100) and group 1 (0x2000) around Super+Shift.
    const std::uint16_t state = 0x2000 | 0x100 | 0x80 | XModifier::mod2 | XModifier::lock |
                                XModifier::mod4 | XModifier::shift;
    EXPECT_EQ(cleanState(state, withScrollLock), XModifier::mod4 | XModifier::shift);
    EXPECT_EQ(carbonForXModifiers(state, withScrollLock),
              CarbonModifier::command | CarbonModifier::shift);
}

TEST(LockVariants, CoverEveryLockCombination)
{
    const std::uint16_t mods = XModifier::mod4 | XModifier::shift;
    const ModifierRoles all{XModifier::mod4, XModifier::mod1, XModifier::mod2, 0x20};
    const auto variants = lockVariants(mods, all);
    ASSERT_EQ(variants.size(), 8u);
    for (std::uint16_t locks = 0; locks < 8; ++locks) {
        const std::uint16_t expected = mods | ((locks & 1) ? XModifier::lock : 0) |
                                       ((locks & 2) ? XModifier::mod2 : 0) |
                                       ((locks & 4) ? 0x20 : 0);
        EXPECT_NE(std::find(variants.begin(), variants.end(), expected), variants.end())
            << expected;
    }
    // No NumLock on the keyboard, or NumLock and ScrollLock on one bit: no repeats.
    EXPECT_EQ(lockVariants(mods, {XModifier::mod4, XModifier::mod1, 0, 0}).size(), 2u);
    EXPECT_EQ(lockVariants(mods, {XModifier::mod4, XModifier::mod1, 0x20, 0x20}).size(), 4u);
}

TEST(HeldModifiers, AreEveryHeldModifierKeyButLocks)
{
    const auto roles = modifierRoles(kXorgMap, xorgSyms);
    const std::vector<std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> cases{
        {{133, 50}, {50, 133}},
        // Both Shift keys: releasing only the first would leave Shift on.
        {{50, 62}, {50, 62}},
        // Pressing Caps Lock or Num Lock again would toggle its lock.
        {{66, 77, 37}, {37}},
        {{55, 38}, {}},
        {{92, 64}, {64, 92}}}; // AltGr
    for (const auto& [down, released] : cases)
        EXPECT_EQ(heldModifierKeycodes(keysDown(down), kXorgMap, roles), released);
}

TEST(PasteKeySequence, ReleasesHeldKeysAroundThePasteAndAHeldVFirst)
{
    // Shift is held by the user and is also part of the terminal paste keystroke.
    const std::vector<FakeKey> terminal{
        {false, 50}, {false, 133}, {true, 37},  {true, 50},  {true, 55},
        {false, 55}, {false, 50},  {false, 37}, {true, 133}, {true, 50},
    };
    EXPECT_EQ(pasteKeySequence({50, 133}, {37, 50}, 55), terminal);
    // The server drops a press of a key already down; V is left up afterwards.
    const std::vector<FakeKey> vHeld{
        {false, 55}, {false, 133}, {true, 37}, {true, 55}, {false, 55}, {false, 37}, {true, 133},
    };
    EXPECT_EQ(pasteKeySequence({133}, {37}, 55, true), vHeld);
}

} // namespace
} // namespace ondrel::platform::x11
