#include "MenuKeyWatcher.h"

#include "X11Modifiers.h"
#include "platform/freedesktop/KeyCodeMap.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

namespace ondrel::platform::x11 {

MenuKeyWatcher::MenuKeyWatcher() = default;

MenuKeyWatcher::~MenuKeyWatcher()
{
    if (m_installed && qApp)
        qApp->removeEventFilter(this);
}

void MenuKeyWatcher::setMenuObserver(std::function<void(bool isOpen)> observer)
{
    m_menuObserver = std::move(observer);
    updateInstallation();
}

void MenuKeyWatcher::setKeyHandler(KeyHandler handler)
{
    m_keyHandler = std::move(handler);
    updateInstallation();
}

void MenuKeyWatcher::updateInstallation()
{
    // Only a widget application has menus; QCoreApplication tools have nothing to watch.
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    const bool wanted = application && (m_menuObserver || m_keyHandler);
    if (wanted == m_installed)
        return;
    if (wanted)
        application->installEventFilter(this);
    else if (application)
        application->removeEventFilter(this);
    m_installed = wanted;
}

std::uint32_t MenuKeyWatcher::carbonModifiers(Qt::KeyboardModifiers modifiers)
{
    std::uint32_t carbon = 0;
    if (modifiers & Qt::MetaModifier)
        carbon |= CarbonModifier::command;
    if (modifiers & Qt::ShiftModifier)
        carbon |= CarbonModifier::shift;
    if (modifiers & Qt::AltModifier)
        carbon |= CarbonModifier::option;
    if (modifiers & Qt::ControlModifier)
        carbon |= CarbonModifier::control;
    return carbon;
}

void MenuKeyWatcher::menuClosed(QObject* menu)
{
    if (m_openMenus.erase(menu) && m_openMenus.empty() && m_menuObserver)
        m_menuObserver(false);
}

bool MenuKeyWatcher::eventFilter(QObject* watched, QEvent* event)
{
    auto* menu = qobject_cast<QMenu*>(watched);
    if (!menu)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (m_openMenus.insert(menu).second) {
            connect(menu, &QObject::destroyed, this, [this, menu] { menuClosed(menu); });
            if (m_openMenus.size() == 1 && m_menuObserver)
                m_menuObserver(true);
        }
        return false;
    case QEvent::Hide:
        menuClosed(menu);
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // A held key repeats; only its first press is a key down.
        if (!m_keyHandler || key->isAutoRepeat())
            return false;
        const auto keyCode = freedesktop::KeyCodeMap::macForXKeycode(key->nativeScanCode());
        if (!keyCode)
            return false;
        return m_keyHandler(event->type() == QEvent::KeyPress, *keyCode,
                            carbonModifiers(key->modifiers()));
    }
    default:
        return false;
    }
}

} // namespace ondrel::platform::x11
