#include "platform/freedesktop/KeyCodeMap.h"

#include <gtest/gtest.h>

#include <set>

namespace ondrel::platform::freedesktop {
namespace {

struct KnownKey
{
    std::uint32_t mac;
    std::uint16_t evdev;
};

class KnownKeys : public testing::TestWithParam<KnownKey>
{};

TEST_P(KnownKeys, MapBothWaysByPosition)
{
    const auto key = GetParam();
    EXPECT_EQ(KeyCodeMap::evdevForMac(key.mac), key.evdev);
    EXPECT_EQ(KeyCodeMap::macForEvdev(key.evdev), key.mac);
    EXPECT_EQ(KeyCodeMap::xKeycodeForMac(key.mac), key.evdev + 8);
    EXPECT_EQ(KeyCodeMap::macForXKeycode(key.evdev + 8u), key.mac);
}

INSTANTIATE_TEST_SUITE_P(Keyboard, KnownKeys,
                         testing::Values(KnownKey{9, 47},    // V
                                         KnownKey{6, 44},    // Z (Y on German layouts)
                                         KnownKey{51, 14},   // Delete = Backspace
                                         KnownKey{55, 125},  // Command = left Super
                                         KnownKey{10, 86})); // ISO section key

TEST(KeyCodeMap, EveryMappedKeyHasItsOwnPositionAndMapsBack)
{
    std::set<std::uint16_t> positions;
    for (std::uint32_t mac = 0; mac < 256; ++mac) {
        const auto evdev = KeyCodeMap::evdevForMac(mac);
        if (!evdev)
            continue;
        EXPECT_TRUE(positions.insert(*evdev).second) << "two keys at evdev " << *evdev;
        EXPECT_EQ(KeyCodeMap::macForEvdev(*evdev), mac);
    }
    // The letters, digits, punctuation, F-keys, keypad, arrows and editing keys.
    EXPECT_GE(positions.size(), 110u);
}

TEST(KeyCodeMap, KeysWithoutCounterpartHaveNone)
{
    EXPECT_EQ(KeyCodeMap::evdevForMac(0x3F), std::nullopt); // fn
    EXPECT_EQ(KeyCodeMap::evdevForMac(0x34), std::nullopt); // unused code
    EXPECT_EQ(KeyCodeMap::xKeycodeForMac(100000), std::nullopt);
    EXPECT_EQ(KeyCodeMap::macForXKeycode(3), std::nullopt);   // below the keycode range
    EXPECT_EQ(KeyCodeMap::macForXKeycode(107), std::nullopt); // Print Screen
}

} // namespace
} // namespace ondrel::platform::freedesktop
