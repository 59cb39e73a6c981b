#include "ShortcutsFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace ondrel::shortcuts::test {
namespace {

using platform::eventNotHandledErr;
using platform::HotKeyID;
using platform::KeyEvent;
using platform::KeyEventKind;
using platform::noErr;
using platform::fake::FakeHotkeys;

using Dispatch = ShortcutsFixture;

const std::set<KeyEventKind> hotKeyKinds{KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased};
const std::set<KeyEventKind> rawKinds{KeyEventKind::rawKeyDown, KeyEventKind::rawKeyUp};
const Shortcut controlB(Key::b, ModifierFlags::control);

TEST_F(Dispatch, FirstActionOnAStoredShortcutRegistersOnceAndRunsOncePerPress)
{
    fake.preferences().preload("KeyboardShortcuts_ondrel", commandShiftVJson);
    const Name name = ondrelName();
    EXPECT_TRUE(fake.hotkeys().registrations().empty()); // stored already: nothing to do yet

    int presses = 0;
    shortcuts->onKeyDown(name, [&] { ++presses; });

    ASSERT_EQ(fake.hotkeys().registrations().size(), 1u);
    const auto& registration = fake.hotkeys().registrations().front();
    EXPECT_EQ(registration.id, (HotKeyID{0x48544B59, 1}));
    EXPECT_TRUE(isRegisteredWithSystem(commandShiftV));
    EXPECT_EQ(fake.hotkeys().handlerInstallCount(), 1);
    EXPECT_EQ(fake.hotkeys().enabledKinds(), hotKeyKinds);

    EXPECT_EQ(press(commandShiftV), noErr);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(release(commandShiftV), noErr); // ours, though nothing listens for releases
    EXPECT_EQ(presses, 1);

    std::vector<std::string> released;
    shortcuts->onKeyUp(name, [&] { released.push_back("up"); });
    shortcuts->onKeyUp(name, [&] { released.push_back("up again"); });
    press(commandShiftV);
    release(commandShiftV);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(released, (std::vector<std::string>{"up", "up again"}));
    EXPECT_EQ(fake.hotkeys().registrations().size(), 1u);
}

TEST_F(Dispatch, RefusedRegistrationPrintsOneLineAndIsNotRetried)
{
    fake.hotkeys().setHeldByAnotherClient(9, 768);

    const Name name = ondrelName();
    shortcuts->onKeyDown(name, [] {});
    shortcuts->enable({name});

    EXPECT_EQ(outputLines(),
              (std::vector<std::string>{"Error registering hotkey \u21E7\u2318V: -9878"}));
    EXPECT_TRUE(fake.hotkeys().registrations().empty());
    EXPECT_FALSE(fake.hotkeys().hasHandler());
    // It still counts as asked for; only unregistering makes the next attempt possible.
    EXPECT_TRUE(shortcuts->isEnabled(name));

    shortcuts->setShortcut(controlB, name);
    ASSERT_EQ(fake.hotkeys().registrations().size(), 1u);
    EXPECT_EQ(fake.hotkeys().registrations().front().id.id, 2u);
    EXPECT_EQ(outputLines().size(), 1u);
}

TEST_F(Dispatch, TwoNamesOnOneShortcutShareOneRegistrationAndOutliveEachOther)
{
    const Name first = ondrelName();
    const Name second(*shortcuts, "second", commandShiftV);
    std::vector<std::string> seen;
    shortcuts->onKeyDown(first, [&] { seen.push_back("first"); });
    shortcuts->onKeyDown(second, [&] { seen.push_back("second"); });

    EXPECT_EQ(fake.hotkeys().registrations().size(), 1u);
    press(commandShiftV);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second"}));

    // The first name moving away, or losing its action, leaves the second working.
    seen.clear();
    shortcuts->setShortcut(controlB, first);
    press(commandShiftV);
    shortcuts->setShortcut(commandShiftV, first);
    shortcuts->removeHandler(first);
    press(commandShiftV);
    EXPECT_EQ(seen, (std::vector<std::string>{"second", "second"}));

    shortcuts->removeHandler(second);
    EXPECT_FALSE(isRegisteredWithSystem(commandShiftV));
}

// Presses follow the shortcut stored now, even one changed from inside an action.
TEST_F(Dispatch, AnActionMayChangeItsOwnShortcut)
{
    const Name name = ondrelName();
    int presses = 0;
    shortcuts->onKeyDown(name, [&] {
        ++presses;
        shortcuts->setShortcut(controlB, name);
        shortcuts->onKeyDown(name, [&] { presses += 10; });
    });

    EXPECT_EQ(press(commandShiftV), noErr);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(press(commandShiftV), std::nullopt); // no longer grabbed
    EXPECT_EQ(press(controlB), noErr);
    EXPECT_EQ(presses, 12);
}

TEST_F(Dispatch, PausedPressesReachNoActionAndTheGrabsAreLetGoMeanwhile)
{
    const Name name = ondrelName();
    int presses = 0;
    shortcuts->onKeyDown(name, [&] { ++presses; });
    const auto registered = fake.hotkeys().registrations();

    // A recorder records: it must see every key, our own combination included.
    shortcuts->setPaused(true);
    EXPECT_TRUE(fake.hotkeys().registrations().empty());
    EXPECT_EQ(press(commandShiftV), std::nullopt);
    EXPECT_EQ(presses, 0);

    shortcuts->setPaused(false);
    ASSERT_EQ(fake.hotkeys().registrations().size(), registered.size());
    EXPECT_EQ(fake.hotkeys().registrations()[0].id, registered[0].id);
    EXPECT_EQ(fake.hotkeys().enabledKinds(), hotKeyKinds);
    press(commandShiftV);
    EXPECT_EQ(presses, 1);
}

TEST_F(Dispatch, AnOpenMenuSuspendsGrabsAndWatchesRawKeys)
{
    const Name name = ondrelName();
    int presses = 0;
    shortcuts->onKeyDown(name, [&] { ++presses; });

    fake.hotkeys().setMenuOpen(true);

    EXPECT_TRUE(fake.hotkeys().registrations().empty());
    EXPECT_EQ(fake.hotkeys().enabledKinds(), rawKinds);
    // Lock bits (alphaLock) do not matter; another key is passed on.
    EXPECT_EQ(fake.hotkeys().rawKeyDown(9, 768 | 0x400), noErr);
    EXPECT_EQ(fake.hotkeys().rawKeyDown(11, 768), eventNotHandledErr);
    EXPECT_EQ(fake.hotkeys().rawKeyUp(9, 768), noErr);
    EXPECT_EQ(presses, 1);

    const auto calls = fake.hotkeys().calls().size();
    fake.hotkeys().setMenuOpen(true); // no change, nothing happens
    EXPECT_EQ(fake.hotkeys().calls().size(), calls);

    fake.hotkeys().setMenuOpen(false);
    ASSERT_EQ(fake.hotkeys().registrations().size(), 1u);
    EXPECT_EQ(fake.hotkeys().registrations().front().id.id, 1u);
    EXPECT_EQ(fake.hotkeys().enabledKinds(), hotKeyKinds);
    press(commandShiftV);
    EXPECT_EQ(presses, 2);
}

TEST_F(Dispatch, AGrabLostWhileTheMenuWasOpenIsDroppedWithOneLine)
{
    const Name name = ondrelName();
    shortcuts->onKeyDown(name, [] {});
    fake.hotkeys().setMenuOpen(true);
    fake.hotkeys().setHeldByAnotherClient(9, 768);

    fake.hotkeys().setMenuOpen(false);

    EXPECT_EQ(outputLines(),
              (std::vector<std::string>{"Error registering hotkey \u21E7\u2318V: -9878"}));
    EXPECT_TRUE(fake.hotkeys().registrations().empty());
    EXPECT_TRUE(shortcuts->isEnabled(name));
}

TEST_F(Dispatch, SwitchesSuspendRegistrationsAndKeepActions)
{
    const Name name = ondrelName();
    int presses = 0;
    shortcuts->onKeyDown(name, [&] { ++presses; });
    const auto callsBefore = fake.hotkeys().calls().size();

    shortcuts->setEnabled(true);
    EXPECT_EQ(fake.hotkeys().calls().size(), callsBefore);

    shortcuts->setEnabled(false);
    EXPECT_TRUE(fake.hotkeys().registrations().empty());
    EXPECT_TRUE(fake.hotkeys().enabledKinds().empty());
    EXPECT_FALSE(shortcuts->isEnabled(name));
    fake.hotkeys().setMenuOpen(true);
    EXPECT_TRUE(fake.hotkeys().enabledKinds().empty());
    fake.hotkeys().setMenuOpen(false);

    shortcuts->setEnabled(true);
    ASSERT_EQ(fake.hotkeys().registrations().size(), 1u);
    EXPECT_EQ(fake.hotkeys().registrations().front().id.id, 1u);
    EXPECT_TRUE(shortcuts->isEnabled(name));
    press(commandShiftV);
    EXPECT_EQ(presses, 1);

    // One name off and on again: its actions stay attached, its registration is a new one.
    shortcuts->disable({name});
    EXPECT_FALSE(shortcuts->isEnabled(name));
    EXPECT_EQ(press(commandShiftV), std::nullopt);

    shortcuts->enable({name});
    EXPECT_TRUE(shortcuts->isEnabled(name));
    press(commandShiftV);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(fake.hotkeys().registrations().front().id.id, 2u);
}

TEST_F(Dispatch, RemovingHandlersReleasesOnlyUnusedShortcuts)
{
    const Name first = ondrelName();
    const Name other(*shortcuts, "other", controlB);
    int presses = 0;
    shortcuts->onKeyDown(first, [&] { ++presses; });
    shortcuts->onKeyUp(other, [&] { ++presses; });
    EventStream stream = shortcuts->events(other);
    fake.executor().runUntilIdle();

    shortcuts->removeAllHandlers();

    EXPECT_FALSE(isRegisteredWithSystem(commandShiftV));
    EXPECT_TRUE(isRegisteredWithSystem(controlB)); // the stream still listens
    press(controlB);
    release(controlB);
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(stream.pendingCount(), 2u);
}

TEST_F(Dispatch, EventsThatAreNotOursArePassedOn)
{
    const Name name = ondrelName();
    shortcuts->onKeyDown(name, [] {});
    auto& hotkeys = fake.hotkeys();

    EXPECT_EQ(hotkeys.deliver(KeyEvent{KeyEventKind::hotKeyPressed, HotKeyID{0x41424344, 1}}),
              eventNotHandledErr);
    EXPECT_EQ(hotkeys.deliver(KeyEvent{KeyEventKind::hotKeyPressed, HotKeyID{0x48544B59, 77}}),
              eventNotHandledErr);
    EXPECT_NE(hotkeys.deliver(KeyEvent{KeyEventKind::hotKeyPressed, std::nullopt}), noErr);
}

TEST_F(Dispatch, AFailedHandlerInstallIsRetriedOnTheNextRegistration)
{
    fake.hotkeys().setInstallStatus(platform::paramErr);
    const Name name = ondrelName();
    EXPECT_TRUE(isRegisteredWithSystem(commandShiftV));
    EXPECT_FALSE(fake.hotkeys().hasHandler());

    fake.hotkeys().setInstallStatus(noErr);
    int presses = 0;
    shortcuts->onKeyDown(name, [&] { ++presses; });
    const Name other(*shortcuts, "other", controlB);

    EXPECT_EQ(fake.hotkeys().handlerInstallCount(), 2);
    press(commandShiftV);
    EXPECT_EQ(presses, 1);
}

TEST_F(Dispatch, AnEndedComponentReleasesItsGrabsAndIgnoresTheMenu)
{
    const Name name = ondrelName();
    shortcuts->onKeyDown(name, [] {});

    shortcuts.reset();

    EXPECT_TRUE(fake.hotkeys().registrations().empty());
    fake.hotkeys().setMenuOpen(true); // must not reach the destroyed component
    EXPECT_EQ(
        fake.hotkeys().deliver(KeyEvent{KeyEventKind::hotKeyPressed, HotKeyID{0x48544B59, 1}}),
        eventNotHandledErr);
}

} // namespace
} // namespace ondrel::shortcuts::test
