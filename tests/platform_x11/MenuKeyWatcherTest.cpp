#include "platform/x11/MenuKeyWatcher.h"

#include "platform/freedesktop/KeysymText.h"

#include "platform/x11/X11KeyboardLayout.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

#include <xkbcommon/xkbcommon-keysyms.h>

#include <gtest/gtest.h>

namespace ondrel::platform::x11 {
namespace {

struct SeenKey
{
    bool down;
    std::uint32_t keyCode;
    std::uint32_t modifiers;
    bool operator==(const SeenKey&) const = default;
};

class MenuKeyWatcherTest : public testing::Test
{
protected:
    static void sendKey(QWidget* target, QEvent::Type type, quint32 scanCode,
                        Qt::KeyboardModifiers modifiers, bool autoRepeat = false)
    {
        QKeyEvent event(type, Qt::Key_V, modifiers, scanCode, 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(target, &event);
    }

    MenuKeyWatcher m_watcher;
    std::vector<bool> m_menuStates;
    std::vector<SeenKey> m_keys;
};

TEST_F(MenuKeyWatcherTest, ReportsTheFirstMenuOpeningAndTheLastClosingOrDestroyed)
{
    m_watcher.setMenuObserver([this](bool open) { m_menuStates.push_back(open); });
    QMenu menu;
    menu.addAction("Quit");
    auto* submenu = menu.addMenu("More");
    submenu->addAction("About");
    menu.popup({0, 0});
    submenu->popup({10, 10});
    EXPECT_TRUE(m_watcher.isMenuOpen());
    submenu->hide();
    menu.hide();
    EXPECT_FALSE(m_watcher.isMenuOpen());
    {
        QMenu destroyedWhileOpen;
        destroyedWhileOpen.addAction("Quit");
        destroyedWhileOpen.popup({0, 0});
    }
    EXPECT_EQ(m_menuStates, (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(m_watcher.isMenuOpen());
}

TEST_F(MenuKeyWatcherTest, PassesMenuKeysOnAsMacKeysAndCarbonModifiers)
{
    bool consume = true;
    m_watcher.setKeyHandler([&](bool down, std::uint32_t keyCode, std::uint32_t modifiers) {
        m_keys.push_back({down, keyCode, modifiers});
        return consume;
    });
    QMenu menu;
    QWidget plain;
    // X keycode 55 is the V position; Meta is Super, which stands in for Command.
    sendKey(&menu, QEvent::KeyPress, 55, Qt::MetaModifier | Qt::ShiftModifier);
    sendKey(&menu, QEvent::KeyPress, 55, Qt::MetaModifier | Qt::ShiftModifier, true);
    sendKey(&menu, QEvent::KeyRelease, 55, Qt::ControlModifier | Qt::AltModifier);
    sendKey(&menu, QEvent::KeyPress, 107, Qt::NoModifier); // Print Screen: no macOS key
    sendKey(&plain, QEvent::KeyPress, 38, Qt::NoModifier); // not a menu
    EXPECT_EQ(m_keys, (std::vector<SeenKey>{{true, 9, 0x300}, {false, 9, 0x1800}}));

    m_watcher.setKeyHandler({});
    sendKey(&menu, QEvent::KeyPress, 55, Qt::NoModifier);
    EXPECT_EQ(m_keys.size(), 2u);
}

// ASCII keys and Return are checked through the keyboard layout of the desktop contract.
TEST(KeysymTexts, AreWhatTheKeyTypes)
{
    for (const auto& [keysym, text] :
         {std::pair<std::uint32_t, std::optional<std::string>>{XKB_KEY_odiaeresis, "\xC3\xB6"},
          {XKB_KEY_EuroSign, "\xE2\x82\xAC"},
          {XKB_KEY_dead_acute, "\xC2\xB4"},
          {XKB_KEY_Shift_L, std::nullopt}})
        EXPECT_EQ(freedesktop::textOfKeysym(keysym), text) << keysym;
}

} // namespace
} // namespace ondrel::platform::x11
