#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>

class QFrame;
class QMenu;
class QSystemTrayIcon;

namespace ondrel::rules {
class RuleStore;
}
namespace ondrel::paste {
class HotkeyCoordinator;
}

namespace ondrel::app {

// The tray icon with its panel and its menu. A primary click toggles the panel, which hangs
// under the icon (above it at the bottom of the screen) and closes on a click anywhere else; a
// secondary click shows "Settings..." and "Quit Ondrel". Main thread only.
class StatusItem final : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        std::function<void()> openSettings;
        std::function<void()> quit;
    };

    /// The tray icon with its menu, shown in the tray if the desktop has one.
    explicit StatusItem(Actions actions);
    ~StatusItem() override;

    /// Says in the tooltip and at the foot of the panel why smart paste cannot work here.
    void showSessionNotice(const QString& reason);

    /// Builds the panel's content from the store and the coordinator, which must outlive it.
    void setUpPanel(rules::RuleStore& ruleStore, paste::HotkeyCoordinator& hotkeyCoordinator);

    /// What a primary click on the icon does: shows the panel, or closes it when shown.
    void statusItemClicked();
    /// Shows the panel under the icon, taking the keyboard.
    void showPanel();
    /// Closes the panel if it is shown.
    void closePanel();
    /// True while the panel is shown.
    bool isPanelShown() const;

    /// The panel window (null before setUpPanel).
    QFrame* panel() const { return m_panel.get(); }
    /// The secondary-click menu.
    QMenu& menu() const { return *m_menu; }
    /// True when a tray shows the icon.
    bool isInTray() const;

    /// Our "MenuBarIcon" drawing, or the "doc.on.clipboard" symbol without it.
    static QIcon menuBarIcon();
    /// Where a panel of panelSize goes for an icon at icon on a screen with the area screen:
    /// centred under the icon, above it when the icon is in the lower half, kept on the screen.
    static QPoint panelPosition(const QRect& icon, const QSize& panelSize, const QRect& screen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Actions m_actions;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_trayIcon;
    std::unique_ptr<QFrame> m_panel;
};

} // namespace ondrel::app
