#include "KeyboardShortcuts/Menu.h"

#include "platform/fake/FakeKeyboardLayout.h"

#include <gtest/gtest.h>

namespace ondrel::shortcuts::test {
namespace {

using platform::fake::FakeKeyboardLayout;

const ModifierFlags command = ModifierFlags::command;
const ModifierFlags shift = ModifierFlags::shift;

struct MenuCase
{
    const char* description;
    Menu menu;
    Shortcut shortcut;
    const char* expectedTitle; // nullptr: no match
};

class MenuSearch : public ::testing::TestWithParam<MenuCase>
{};

TEST_P(MenuSearch, FindsTheFirstItemDepthFirst)
{
    FakeKeyboardLayout layout;
    const MenuItem* found =
        menuItemWithMatchingShortcut(GetParam().menu, GetParam().shortcut, layout);
    if (GetParam().expectedTitle == nullptr) {
        EXPECT_EQ(found, nullptr) << found->title;
    } else {
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->title, GetParam().expectedTitle);
    }
}

const Shortcut commandV(Key::v, command);
const Shortcut commandShiftVKey(Key::v, command | shift);

INSTANTIATE_TEST_SUITE_P(
    Menus, MenuSearch,
    ::testing::Values(
        MenuCase{"upper-case key implies Shift", Menu{{{"Paste Plain", "V", command}}},
                 commandShiftVKey, "Paste Plain"},
        MenuCase{"lower-case key without Shift differs", Menu{{{"Paste", "v", command}}},
                 commandShiftVKey, nullptr},
        MenuCase{"upper-case key is not lowered without Shift", Menu{{{"Paste", "V", command}}},
                 commandV, nullptr},
        MenuCase{"the mask must be equal, not merely contain",
                 Menu{{{"Odd", "v", command | ModifierFlags::option}}}, commandV, nullptr},
        MenuCase{"depth first, in item order",
                 Menu{{{"Edit", "", {}, {{"Paste", "v", command}}}, {"Later", "v", command}}},
                 commandV, "Paste"},
        MenuCase{"special keys compare their glyph", Menu{{{"Send", "\u21A9", command}}},
                 Shortcut(Key::returnKey, command), "Send"},
        MenuCase{"keypad keys never match", Menu{{{"Five", "", {}}}}, Shortcut(Key::keypad5),
                 nullptr}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.description)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

} // namespace
} // namespace ondrel::shortcuts::test
