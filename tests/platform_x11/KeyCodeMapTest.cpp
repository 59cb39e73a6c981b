#include "platform/freedesktop/KeyCodeMap.h"

#include <gtest/gtest.h>

#include <set>

namespace ondrel::platform::freedesktop {
namespace {

TEST(KeyCodeMap, EveryMappedKeyHasItsOwnPositionAndMapsBackTheOthersNone)
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
    // V; Z (Y on German layouts); Delete = Backspace; Command = left Super; the ISO section key.
    for (const auto& [mac, evdev] :
         {std::pair{9u, 47}, {6u, 44}, {51u, 14}, {55u, 125}, {10u, 86}}) {
        EXPECT_EQ(KeyCodeMap::evdevForMac(mac), evdev);
        EXPECT_EQ(KeyCodeMap::xKeycodeForMac(mac), evdev + 8);
        EXPECT_EQ(KeyCodeMap::macForXKeycode(evdev + 8), mac);
    }
    // Keys without a counterpart, and codes out of range.
    EXPECT_EQ(KeyCodeMap::evdevForMac(0x3F), std::nullopt); // fn
    EXPECT_EQ(KeyCodeMap::evdevForMac(0x34), std::nullopt); // unused code
    EXPECT_EQ(KeyCodeMap::xKeycodeForMac(100000), std::nullopt);
    EXPECT_EQ(KeyCodeMap::macForXKeycode(3), std::nullopt);   // below the keycode range
    EXPECT_EQ(KeyCodeMap::macForXKeycode(107), std::nullopt); // Print Screen
}

} // namespace
} // namespace ondrel::platform::freedesktop
