#include "platform/x11/HotkeyArming.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using ondrel::platform::x11::HotkeyArming;
using ondrel::platform::x11::KeyBitmap;
using ondrel::platform::x11::ModifierMap;
using ondrel::platform::x11::ModifierRoles;
namespace XModifier = ondrel::platform::x11::XModifier;

namespace {

constexpr std::uint8_t shiftKey = 50;
constexpr std::uint8_t controlKey = 37;
constexpr std::uint8_t superKey = 133;
constexpr std::uint8_t numLockKey = 77;
constexpr std::uint8_t vKey = 55;
constexpr std::uint8_t aKey = 38;
constexpr int button = -1;

// One event: a key going down (keycode) or up (-keycode), or a button press.
struct ArmingCase
{
    const char* name;
    std::vector<int> events;
    bool armed;
};

class Arming : public testing::TestWithParam<ArmingCase>
{
protected:
    void SetUp() override
    {
        ModifierMap map;
        map[0] = {shiftKey};
        map[2] = {controlKey};
        map[4] = {numLockKey};
        map[6] = {superKey};
        ModifierRoles roles;
        roles.numLock = XModifier::mod2;
        arming.setModifierMap(map, roles);
        arming.setChords({{vKey, XModifier::shift | XModifier::mod4}});
        arming.reset(KeyBitmap{});
    }

    HotkeyArming arming;
};

TEST_P(Arming, FollowsTheChord)
{
    for (const int event : GetParam().events) {
        const bool before = arming.armed();
        const bool changed =
            event == button ? arming.button()
                            : arming.key(static_cast<std::uint8_t>(std::abs(event)), event > 0);
        EXPECT_EQ(changed, before != arming.armed()) << "after event " << event;
    }
    EXPECT_EQ(arming.armed(), GetParam().armed);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Arming,
    testing::Values(
        ArmingCase{"SuperThenShift", {superKey, shiftKey}, true},
        ArmingCase{"ShiftThenSuperWithNumLockHeld", {numLockKey, shiftKey, superKey}, true},
        ArmingCase{"OnlyShift", {shiftKey}, false},
        ArmingCase{"TheChordsOwnKeyKeepsIt", {superKey, shiftKey, vKey, -vKey, vKey}, true},
        ArmingCase{"AnotherKeySpoilsIt", {superKey, shiftKey, aKey, -aKey}, false},
        ArmingCase{"AButtonSpoilsIt", {superKey, shiftKey, button}, false},
        ArmingCase{
            "NewModifiersStartOver", {superKey, shiftKey, aKey, -aKey, -shiftKey, shiftKey}, true},
        ArmingCase{"AnExtraModifierIsAnotherChord", {superKey, shiftKey, controlKey}, false},
        ArmingCase{"LettingGoOfTheExtraOneArmsIt",
                   {superKey, shiftKey, controlKey, button, -controlKey},
                   true},
        ArmingCase{"AKeyHeldFromBefore", {aKey, superKey, shiftKey}, false},
        ArmingCase{"LettingGoEndsIt", {superKey, shiftKey, vKey, -vKey, -shiftKey}, false}),
    [](const testing::TestParamInfo<ArmingCase>& info) { return std::string(info.param.name); });

TEST(ArmingStart, KeysHeldWhenWatchingBeginsCount)
{
    HotkeyArming arming;
    ModifierMap map;
    map[0] = {shiftKey};
    map[6] = {superKey};
    arming.setModifierMap(map, {});
    arming.setChords({{vKey, XModifier::shift | XModifier::mod4}});
    KeyBitmap held{};
    held[superKey / 8] |= static_cast<std::uint8_t>(1u << (superKey % 8));
    held[shiftKey / 8] |= static_cast<std::uint8_t>(1u << (shiftKey % 8));
    arming.reset(held);
    EXPECT_TRUE(arming.armed());
    // With the combination unregistered there is nothing to arm.
    arming.setChords({});
    EXPECT_FALSE(arming.armed());
}

} // namespace
