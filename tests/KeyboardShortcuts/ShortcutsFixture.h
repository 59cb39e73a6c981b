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

    std::optional<platform::OSStatus> press(const Shortcut& shortcut)
    {
        return fake.hotkeys().press(static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                                    static_cast<std::uint32_t>(shortcut.carbonModifiers));
    }
    std::optional<platform::OSStatus> release(const Shortcut& shortcut)
    {
        return fake.hotkeys().release(static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                                      static_cast<std::uint32_t>(shortcut.carbonModifiers));
    }
    bool isRegisteredWithSystem(const Shortcut& shortcut) const
    {
        return fake.hotkeys()
            .registrationFor(static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                             static_cast<std::uint32_t>(shortcut.carbonModifiers))
            .has_value();
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
