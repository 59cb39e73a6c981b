#pragma once

#include "OutputCapture.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ondrel::shortcuts::test {

inline constexpr std::int64_t commandShift = carbon::cmdKey | carbon::shiftKey;
inline const Shortcut commandShiftV{Key::v, ModifierFlags::command | ModifierFlags::shift};
inline const std::string commandShiftVJson = R"({"carbonKeyCode":9,"carbonModifiers":768})";

// A component on a fresh fake platform. relaunch() replaces the component while the platform
// (and so the preferences) stays, as a second run of the program would find it.
class ShortcutsFixture : public ::testing::Test
{
protected:
    ShortcutsFixture() { launch(); }

    void launch() { shortcuts = std::make_unique<KeyboardShortcuts>(fake.platform()); }
    void relaunch()
    {
        shortcuts.reset();
        launch();
    }

    /// The application's name with its default, built the way the application builds it.
    Name ondrelName() { return Name(*shortcuts, "ondrel", commandShiftV); }

    // The key code and the Carbon bits as the platform takes them.
    static std::uint32_t key(const Shortcut& s) { return std::uint32_t(s.carbonKeyCode); }
    static std::uint32_t bits(const Shortcut& s) { return std::uint32_t(s.carbonModifiers); }
    auto press(const Shortcut& s) { return fake.hotkeys().press(key(s), bits(s)); }
    auto release(const Shortcut& s) { return fake.hotkeys().release(key(s), bits(s)); }
    bool isRegisteredWithSystem(const Shortcut& s) const
    {
        return fake.hotkeys().registrationFor(key(s), bits(s)).has_value();
    }
    std::vector<std::string> outputLines() const { return out.lines(); }
    std::size_t changeNotifications() const
    {
        return fake.notificationCenter().posted(KeyboardShortcuts::shortcutByNameDidChange).size();
    }

    mutable platform::fake::FakePlatform fake;
    ondrel::test::OutputCapture out;
    std::unique_ptr<KeyboardShortcuts> shortcuts;
};

} // namespace ondrel::shortcuts::test
