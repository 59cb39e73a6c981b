#include "KeyboardShortcuts/Localization.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "platform/fake/FakeKeyboardLayout.h"

#include <gtest/gtest.h>

#include <set>

namespace ondrel::shortcuts::test {
namespace {

using platform::fake::FakeKeyboardLayout;

TEST(ModifierConversion, LocksAndUnknownBitsDrop)
{
    EXPECT_EQ(carbonModifiers(ModifierFlags::capsLock | ModifierFlags::numericPad), 0);
    // Caps Lock (alphaLock), activeFlag and bits beyond the table disappear on normalizing.
    EXPECT_EQ(normalizedCarbonModifiers(0x300 | 0x400 | 0x1 | 0x40000000), 0x300);
    EXPECT_EQ(Shortcut(9, 0x300 | 0x400).carbonModifiers, 0x300);
    EXPECT_EQ(Shortcut(Key::v, ModifierFlags::command | ModifierFlags::capsLock).carbonModifiers,
              0x100);
}

TEST(ShortcutFromEvent, OnlyKeyEventsAndNeverFn)
{
    const ModifierFlags fnCommand = ModifierFlags::function | ModifierFlags::command;
    EXPECT_EQ(Shortcut::fromEvent({InputEvent::keyDownType, 9, fnCommand}), Shortcut(9, 0x100));
    EXPECT_EQ(Shortcut::fromEvent({InputEvent::keyUpType, 126, ModifierFlags::shift}),
              Shortcut(126, 0x200));
    EXPECT_EQ(Shortcut::fromEvent({InputEvent::flagsChangedType, 56, ModifierFlags::shift}),
              std::nullopt);
    EXPECT_EQ(Shortcut::fromEvent({1, 0, {}}), std::nullopt); // a mouse-down
}

TEST(ShortcutJson, EncodesCompactlyInFieldOrder)
{
    EXPECT_EQ(Shortcut(Key::v, ModifierFlags::command | ModifierFlags::shift).jsonText(),
              R"({"carbonKeyCode":9,"carbonModifiers":768})");
    // Values that could not be read back are not written either.
    EXPECT_EQ(Shortcut::withStoredValues(70000, 0).jsonText(), std::nullopt);
    EXPECT_EQ(Shortcut::withStoredValues(-1, 0).jsonText(), std::nullopt);
}

struct DecodeCase
{
    const char* text;
    std::optional<std::pair<std::int64_t, std::int64_t>> expected;
};

class ShortcutDecoding : public ::testing::TestWithParam<DecodeCase>
{};

TEST_P(ShortcutDecoding, ReadsOnlyTheRecord)
{
    const auto decoded = Shortcut::fromJsonText(GetParam().text);
    if (!GetParam().expected) {
        EXPECT_EQ(decoded, std::nullopt);
        return;
    }
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->carbonKeyCode, GetParam().expected->first);
    EXPECT_EQ(decoded->carbonModifiers, GetParam().expected->second);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShortcutDecoding,
    ::testing::Values(
        DecodeCase{R"({"carbonKeyCode":9,"carbonModifiers":768})", std::pair{9, 768}},
        DecodeCase{R"({"carbonModifiers":768,"carbonKeyCode":9})", std::pair{9, 768}},
        DecodeCase{R"( { "carbonKeyCode" : 9 , "carbonModifiers" : 768, "x": [1] } )",
                   std::pair{9, 768}},
        // Stored values are taken as they are, unknown modifier bits included.
        DecodeCase{R"({"carbonKeyCode":9,"carbonModifiers":769})", std::pair{9, 769}},
        DecodeCase{R"({"carbonKeyCode":65535,"carbonModifiers":4294967295})",
                   std::pair{65535, 4294967295}},
        DecodeCase{R"({"carbonKeyCode":9})", std::nullopt},
        DecodeCase{R"({"carbonKeyCode":"9","carbonModifiers":768})", std::nullopt},
        DecodeCase{R"({"carbonKeyCode":9.0,"carbonModifiers":768})", std::nullopt},
        DecodeCase{R"({"carbonKeyCode":-1,"carbonModifiers":768})", std::nullopt},
        DecodeCase{R"({"carbonKeyCode":65536,"carbonModifiers":768})", std::nullopt},
        DecodeCase{R"({"carbonKeyCode":9,"carbonModifiers":4294967296})", std::nullopt},
        DecodeCase{R"({"carbonKeyCode":9,"carbonModifiers":18446744073709551615})", std::nullopt},
        DecodeCase{R"({"carbonKeyCode":9,"carbonModifiers":768}x)", std::nullopt},
        DecodeCase{R"([9,768])", std::nullopt}));

struct DescriptionCase
{
    Shortcut shortcut;
    const char* expected;
};

class ShortcutDescription : public ::testing::TestWithParam<DescriptionCase>
{
protected:
    FakeKeyboardLayout layout;
};

TEST_P(ShortcutDescription, ModifierGlyphsInFixedOrderThenKey)
{
    layout.setCharacter(0x0E, "\u00E9");  // a layout where the E key types é
    layout.setCharacter(0x0F, "ab");      // and one key types two characters
    layout.setCharacter(0x10, "e\u0301"); // one character made of two code points
    EXPECT_EQ(GetParam().shortcut.description(layout), GetParam().expected);
}

constexpr std::int64_t allModifiers = 0x100 | 0x200 | 0x800 | 0x1000 | 0x20000;

INSTANTIATE_TEST_SUITE_P(Shortcuts, ShortcutDescription,
                         ::testing::Values(DescriptionCase{Shortcut(9, 0x300), "\u21E7\u2318V"},
                                           DescriptionCase{
                                               Shortcut(9, allModifiers),
                                               "\u2303\u2325\u21E7\u2318\U0001F310\uFE0EV"},
                                           DescriptionCase{Shortcut(87, 0x1000), "\u23035\u20E3"},
                                           DescriptionCase{Shortcut(49, 0x800), "\u2325Space"},
                                           DescriptionCase{Shortcut(0x0E, 0x100), "\u2318\u00C9"},
                                           DescriptionCase{Shortcut(0x10, 0), "E\u0301"},
                                           DescriptionCase{Shortcut(0x0F, 0), "\uFFFD"},
                                           DescriptionCase{Shortcut(0x66, 0x100), "\u2318\uFFFD"}));

TEST(SpecialKeys, TableIsCompleteAndConsistent)
{
    std::set<std::int64_t> codes;
    for (const SpecialKey key : allSpecialKeys()) {
        codes.insert(keyCode(key));
        EXPECT_EQ(specialKey(keyCode(key)), key);
        EXPECT_FALSE(displayString(key).empty());
    }
    EXPECT_EQ(codes.size(), allSpecialKeys().size()); // no two keys share a code
    EXPECT_EQ(specialKey(Key::v.rawValue), std::nullopt);
    EXPECT_EQ(keyEquivalent(SpecialKey::keypad5), std::nullopt);
}

TEST(KeyToCharacter, SpecialKeysOutOfRangeAndMissingLayoutGiveNothing)
{
    FakeKeyboardLayout layout;
    EXPECT_EQ(keyToCharacter(layout, Key::v.rawValue), "v");
    layout.setCharacter(Key::space.rawValue, " ");
    EXPECT_EQ(keyToCharacter(layout, Key::space.rawValue), std::nullopt);
    EXPECT_EQ(keyToCharacter(layout, 0x10009), std::nullopt); // would wrap to the V key
    EXPECT_EQ(keyToCharacter(layout, -1), std::nullopt);
    layout.setLayout({});
    EXPECT_EQ(keyToCharacter(layout, Key::v.rawValue), std::nullopt);
}

TEST(KeyEquivalent, SpecialKeysUseTheirTextOthersTheLayout)
{
    FakeKeyboardLayout layout;
    EXPECT_EQ(Shortcut(Key::v, ModifierFlags::command).nsMenuItemKeyEquivalent(layout), "v");
    EXPECT_EQ(Shortcut(Key::f3).nsMenuItemKeyEquivalent(layout), "\uF706");
    EXPECT_EQ(Shortcut(Key::jisEisu).nsMenuItemKeyEquivalent(layout), std::nullopt);
}

TEST(Localization, KnownKeysHaveTextsAndUnknownKeysShowThemselves)
{
    EXPECT_NE(localized("record_shortcut"), "record_shortcut");
    EXPECT_EQ(localized("no_such_key"), "no_such_key");
    const std::string message = localizedFormat("keyboard_shortcut_used_by_menu_item", {"Paste"});
    EXPECT_NE(message.find("\u201CPaste\u201D"), std::string::npos);
    EXPECT_EQ(message.find("%1"), std::string::npos);
}

} // namespace
} // namespace ondrel::shortcuts::test
