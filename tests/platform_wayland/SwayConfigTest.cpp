#include "platform/Hotkeys.h"
#include "platform/wayland/SwayBindings.h"
#include "platform/wayland/XkbKeymap.h"

#include "TemporaryHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace ondrel::platform::wayland {
namespace {

constexpr std::uint32_t kV = 55; // the V key's position (evdev 47 + 8)
constexpr std::uint32_t kReturn = 36;
constexpr auto kSuper = CarbonModifier::command;
constexpr auto kShift = CarbonModifier::shift;

struct BindingsCase
{
    const char* name;
    std::string config;
    std::vector<SwayBinding> expected;
};

class SwayConfigBindings : public testing::TestWithParam<BindingsCase>
{};

TEST_P(SwayConfigBindings, AreReadByKeyPosition)
{
    const XkbKeymap keymap(XkbNames{"evdev", "pc105", "us", "", ""});
    EXPECT_EQ(swayBindings(GetParam().config, keymap, "ondrel-hotkey-7"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, SwayConfigBindings,
    testing::Values(
        BindingsCase{"variables",
                     "set $mod Mod4\nset $mod2 Mod1\nbindsym $mod+Shift+v exec foot\n"
                     "bindsym $mod2+Return exec foot\n",
                     {{kV, kSuper | kShift, false}, {kReturn, CarbonModifier::option, false}}},
        BindingsCase{"flagsCodesAndCase",
                     "bindsym --release --no-warn Super+SHIFT+V nop\nbindcode Ctrl+55 kill\n",
                     {{kV, kSuper | kShift, true}, {kV, CarbonModifier::control, false}}},
        BindingsCase{"block",
                     "bindsym {\n  Mod4+v exec a\n  Mod4+Return exec b\n}\n",
                     {{kV, kSuper, false}, {kReturn, kSuper, false}}},
        // Other modes, mouse buttons, modifiers a shortcut cannot hold and our own bindings
        // are not taken combinations.
        BindingsCase{"leftOut",
                     "mode \"resize\" {\n  bindsym v resize shrink\n}\n"
                     "bindsym Mod4+button1 move\nbindsym Mod3+v exec x\n"
                     "bindcode Mod4+Shift+55 nop ondrel-hotkey-7 1 down\n# bindsym Mod4+v x\n",
                     {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SwayConfig, IncludedFilesAreRead)
{
    test::TemporaryHome home;
    test::writeFile(home.root() / "config.d" / "keys", "bindsym Mod4+Shift+v exec x\n");
    const XkbKeymap keymap(XkbNames{});
    const auto bindings =
        swayBindings("include " + (home.root() / "config.d" / "*").string() + "\n", keymap, "");
    EXPECT_EQ(bindings, (std::vector<SwayBinding>{{kV, kSuper | kShift, false}}));
}

TEST(SwayConfig, KeymapNamesTheLastSettingOfEachKind)
{
    const auto names = XkbKeymap::namesFromSwayConfig(
        "input * xkb_layout us\ninput type:keyboard {\n  xkb_layout de\n  xkb_variant nodeadkeys\n"
        "  xkb_options ctrl:nocaps\n}\n");
    EXPECT_EQ(names.layout, "de");
    EXPECT_EQ(names.variant, "nodeadkeys");
    EXPECT_EQ(names.options, "ctrl:nocaps");
    EXPECT_TRUE(names.model.empty());
}

} // namespace
} // namespace ondrel::platform::wayland
