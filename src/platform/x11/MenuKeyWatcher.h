#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <set>

namespace ondrel::platform::x11 {

// Watches our own Qt menus through an application event filter: tells when the first menu
// opens and the last one closes, and, while asked to, passes the key events a menu receives
// on as macOS key codes and Carbon modifiers. An open menu holds the keyboard grab, so a
// hotkey pressed then only shows up here. Main thread; inert without a QApplication.
class MenuKeyWatcher final : public QObject
{
public:
    /// Gets a key (down or up) with its macOS code and Carbon modifiers; true consumes it.
    using KeyHandler =
        std::function<bool(bool down, std::uint32_t keyCode, std::uint32_t modifiers)>;

    MenuKeyWatcher();
    ~MenuKeyWatcher() override;

    /// Called with true when one of our menus opens, false when the last one closed.
    void setMenuObserver(std::function<void(bool isOpen)> observer);
    /// Starts passing key events of open menus to handler; an empty handler stops it.
    void setKeyHandler(KeyHandler handler);
    /// True while one of our menus is shown.
    bool isMenuOpen() const { return !m_openMenus.empty(); }

    /// Carbon modifier bits for Qt's keyboard modifiers (Meta is Super, Command's place).
    static std::uint32_t carbonModifiers(Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateInstallation();
    void menuClosed(QObject* menu);

    std::function<void(bool)> m_menuObserver;
    KeyHandler m_keyHandler;
    std::set<QObject*> m_openMenus;
    bool m_installed = false;
};

} // namespace ondrel::platform::x11
