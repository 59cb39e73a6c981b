#include "ShortcutsFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ondrel::shortcuts::test {
namespace {

using platform::OtherPreferenceValue;
using platform::PreferenceValue;
using platform::fake::FakeNotificationCenter;

using Storage = ShortcutsFixture;

const std::string ondrelKey = "KeyboardShortcuts_ondrel";

TEST_F(Storage, DefaultIsStoredRegisteredAndAnnouncedOnFirstUse)
{
    std::optional<PreferenceValue> valueSeenByObserver;
    fake.notificationCenter().addObserver(KeyboardShortcuts::shortcutByNameDidChange,
                                          [&](const std::string&, const platform::UserInfo&) {
                                              valueSeenByObserver =
                                                  fake.preferences().value(ondrelKey);
                                          });

    const Name name = ondrelName();

    EXPECT_EQ(fake.preferences().value(ondrelKey), PreferenceValue(commandShiftVJson));
    EXPECT_EQ(shortcuts->getShortcut(name), commandShiftV);
    EXPECT_TRUE(isRegisteredWithSystem(commandShiftV));
    EXPECT_EQ(fake.notificationCenter().posted(KeyboardShortcuts::shortcutByNameDidChange),
              (std::vector<FakeNotificationCenter::Posted>{
                  {KeyboardShortcuts::shortcutByNameDidChange, {{"name", "ondrel"}}}}));
    // Observers run synchronously and see the stored value.
    EXPECT_EQ(valueSeenByObserver, PreferenceValue(commandShiftVJson));
}

TEST_F(Storage, ClearedShortcutStaysClearedAcrossRelaunch)
{
    const Name name = ondrelName();
    fake.notificationCenter().clearHistory();

    shortcuts->setShortcut(std::nullopt, name);

    EXPECT_EQ(fake.preferences().value(ondrelKey), PreferenceValue(false));
    EXPECT_EQ(changeNotifications(), 1u);
    EXPECT_FALSE(isRegisteredWithSystem(commandShiftV));

    relaunch();
    fake.notificationCenter().clearHistory();
    const auto writes = fake.preferences().writeCount();
    const Name relaunched = ondrelName();

    EXPECT_EQ(fake.preferences().writeCount(), writes);
    EXPECT_EQ(shortcuts->getShortcut(relaunched), std::nullopt);
    EXPECT_EQ(changeNotifications(), 0u);
    EXPECT_TRUE(fake.hotkeys().registrations().empty());
}

TEST_F(Storage, SettingTheStoredShortcutAgainReRegistersIt)
{
    const Name name = ondrelName();
    fake.notificationCenter().clearHistory();

    shortcuts->setShortcut(commandShiftV, name);

    // Let go first, then taken anew: still held, under the next id.
    ASSERT_EQ(fake.hotkeys().registrations().size(), 1u);
    EXPECT_EQ(fake.hotkeys().registrations().front().id.id, 2u);
    EXPECT_EQ(changeNotifications(), 1u);
}

TEST_F(Storage, UnstorableShortcutChangesNothing)
{
    const Name name = ondrelName();
    fake.notificationCenter().clearHistory();
    const auto writes = fake.preferences().writeCount();

    shortcuts->setShortcut(Shortcut::withStoredValues(70000, 0), name);

    EXPECT_EQ(fake.preferences().writeCount(), writes);
    EXPECT_EQ(changeNotifications(), 0u);
    EXPECT_TRUE(isRegisteredWithSystem(commandShiftV));
}

TEST_F(Storage, ResetRestoresDefaultsAndClearsNamesWithout)
{
    const Name name = ondrelName();
    const Name extra(*shortcuts, "extra");
    shortcuts->setShortcut(Shortcut(Key::b, ModifierFlags::control), name);
    shortcuts->setShortcut(Shortcut(Key::c, ModifierFlags::control), extra);

    shortcuts->reset({name, extra});

    EXPECT_EQ(shortcuts->getShortcut(name), commandShiftV);
    EXPECT_FALSE(shortcuts->userDefaultsContains(extra));
}

TEST_F(Storage, ResetAllRemovesShortcutsAndKeepsClearedMarkers)
{
    fake.preferences().preload("KeyboardShortcuts_first", commandShiftVJson);
    fake.preferences().preload("KeyboardShortcuts_cleared", false);
    fake.preferences().preload("SomethingElse", commandShiftVJson);

    shortcuts->resetAll();

    EXPECT_FALSE(fake.preferences().contains("KeyboardShortcuts_first"));
    EXPECT_EQ(fake.preferences().value("KeyboardShortcuts_cleared"), PreferenceValue(false));
    EXPECT_TRUE(fake.preferences().contains("SomethingElse"));
    EXPECT_EQ(fake.notificationCenter().posted(KeyboardShortcuts::shortcutByNameDidChange),
              (std::vector<FakeNotificationCenter::Posted>{
                  {KeyboardShortcuts::shortcutByNameDidChange, {{"name", "first"}}}}));
}

// Whatever a damaged or foreign preferences file holds under the key: it reads as no shortcut,
// stays as it is, and nothing is registered.
class DamagedValue : public ShortcutsFixture, public ::testing::WithParamInterface<PreferenceValue>
{};

TEST_P(DamagedValue, ReadsAsNoShortcutAndIsLeftAlone)
{
    fake.preferences().preload(ondrelKey, GetParam());

    const Name name = ondrelName();
    int presses = 0;
    shortcuts->onKeyDown(name, [&] { ++presses; });
    shortcuts->setShortcut(std::nullopt, name);
    shortcuts->resetAll();

    EXPECT_EQ(shortcuts->getShortcut(name), std::nullopt);
    EXPECT_TRUE(shortcuts->userDefaultsContains(name));
    EXPECT_EQ(fake.preferences().value(ondrelKey), GetParam());
    EXPECT_EQ(fake.preferences().writeCount(), 0u);
    EXPECT_TRUE(fake.hotkeys().calls().empty());
    EXPECT_FALSE(shortcuts->isEnabled(name));
    EXPECT_EQ(changeNotifications(), 0u);
    EXPECT_EQ(presses, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DamagedValue,
    ::testing::Values(
        // The decoder's own table owns the texts; here one of each kind the component meets.
        PreferenceValue(std::string("garbage")),
        PreferenceValue(std::string(R"({"carbonKeyCode":70000,"carbonModifiers":0})")),
        PreferenceValue(true), PreferenceValue(OtherPreferenceValue{commandShiftVJson})),
    [](const ::testing::TestParamInfo<PreferenceValue>& info) {
        return "Value" + std::to_string(info.index);
    });

TEST_F(Storage, SystemShortcutsKeepOnlyEnabledOnesNormalized)
{
    fake.keyboardLayout().setSystemShortcuts(
        {{49, 0x100 | 0x400, true}, {48, 0x100, false}, {122, 0, true}});
    EXPECT_EQ(shortcuts->systemShortcuts(),
              (std::vector<Shortcut>{Shortcut(49, 0x100), Shortcut(122, 0)}));
}

} // namespace
} // namespace ondrel::shortcuts::test
