#include "ShortcutsFixture.h"

#include <gtest/gtest.h>

namespace ondrel::shortcuts::test {
namespace {

using Streams = ShortcutsFixture;

const Shortcut controlB(Key::b, ModifierFlags::control);

TEST_F(Streams, BufferEverythingUntilTaken)
{
    fake.preferences().preload("KeyboardShortcuts_ondrel", commandShiftVJson);
    const Name name = ondrelName();
    EventStream stream = shortcuts->events(name);
    EventStream ups = shortcuts->events(EventType::keyUp, name);
    EXPECT_TRUE(fake.hotkeys().registrations().empty()); // attached on the next loop turn
    fake.executor().runUntilIdle();
    EXPECT_TRUE(isRegisteredWithSystem(commandShiftV));

    for (int i = 0; i < 500; ++i) {
        press(commandShiftV);
        release(commandShiftV);
    }

    EXPECT_EQ(stream.pendingCount(), 1000u);
    EXPECT_EQ(ups.pendingCount(), 500u); // a typed stream passes its one kind
    EXPECT_EQ(ups.next(), EventType::keyUp);
    EXPECT_EQ(stream.next(), EventType::keyDown);
    EXPECT_EQ(stream.next(), EventType::keyUp);
    std::vector<EventType> handled;
    stream.setHandler([&](EventType type) { handled.push_back(type); });
    EXPECT_EQ(handled.size(), 998u);
    press(commandShiftV);
    EXPECT_EQ(handled.size(), 999u);
    EXPECT_EQ(stream.next(), std::nullopt);
}

TEST_F(Streams, EndingAStreamRemovesOnlyItsActions)
{
    const Name name = ondrelName();
    const Name other(*shortcuts, "other", commandShiftV);
    int legacyPresses = 0;
    shortcuts->onKeyDown(other, [&] { ++legacyPresses; });
    std::optional<EventStream> first = shortcuts->events(name);
    EventStream second = shortcuts->events(name);
    fake.executor().runUntilIdle();

    first.reset();
    fake.executor().runUntilIdle();
    press(commandShiftV);

    EXPECT_EQ(second.pendingCount(), 1u);
    EXPECT_EQ(legacyPresses, 1);

    second.end();
    fake.executor().runUntilIdle();
    // A legacy action of another name still uses the shortcut.
    EXPECT_TRUE(isRegisteredWithSystem(commandShiftV));
    shortcuts->removeHandler(other);
    EXPECT_FALSE(isRegisteredWithSystem(commandShiftV));
}

TEST_F(Streams, TheLastStreamEndingReleasesTheShortcut)
{
    const Name name = ondrelName();
    {
        EventStream stream = shortcuts->events(name);
        fake.executor().runUntilIdle();
    }
    EXPECT_TRUE(isRegisteredWithSystem(commandShiftV)); // removal waits for the loop
    fake.executor().runUntilIdle();
    EXPECT_FALSE(isRegisteredWithSystem(commandShiftV));
    EXPECT_FALSE(shortcuts->isEnabled(name));
}

TEST_F(Streams, AStreamEndedBeforeItWasAttachedLeavesNothingBehind)
{
    const Name name = ondrelName();
    shortcuts->setShortcut(std::nullopt, name);
    EventStream stream = shortcuts->events(name);
    stream.end();
    fake.executor().runUntilIdle();
    shortcuts->setShortcut(controlB, name);

    press(controlB);
    EXPECT_EQ(stream.pendingCount(), 0u);
    EXPECT_TRUE(stream.isEnded());
}

TEST_F(Streams, AHandlerMayEndItsOwnStream)
{
    const Name name = ondrelName();
    EventStream stream = shortcuts->events(name);
    fake.executor().runUntilIdle();
    int calls = 0;
    stream.setHandler([&](EventType) {
        ++calls;
        stream.end();
    });

    press(commandShiftV);
    release(commandShiftV);
    fake.executor().runUntilIdle();
    press(commandShiftV);

    EXPECT_EQ(calls, 1);
}

TEST_F(Streams, StreamsOutlivingTheComponentAreHarmless)
{
    const Name name = ondrelName();
    EventStream stream = shortcuts->events(name);
    fake.executor().runUntilIdle();
    shortcuts.reset();
    stream.end();
    fake.executor().runUntilIdle();
    EXPECT_TRUE(stream.isEnded());
}

} // namespace
} // namespace ondrel::shortcuts::test
