#include "StatusItem.h"

#include "ui/Icons.h"
#include "ui/MenuBarView.h"
#include "ui/TextStyle.h"

#include <QCursor>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include <algorithm>

namespace ondrel::app {

namespace {

constexpr int panelGap = 4;
const char* const menuBarIconPath = ":/MenuBarIcon.svg";

} // namespace

StatusItem::StatusItem(Actions actions)
    : m_actions(std::move(actions)), m_menu(std::make_unique<QMenu>()),
      m_trayIcon(new QSystemTrayIcon(this))
{
    m_menu->setObjectName(QStringLiteral("StatusItemMenu"));
    QAction* settings = m_menu->addAction(QStringLiteral("Settings..."));
    settings->setObjectName(QStringLiteral("settingsAction"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(QStringLiteral("Quit Ondrel"));
    quit->setObjectName(QStringLiteral("quitAction"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    for (QAction* action : {settings, quit})
        action->setShortcutVisibleInContextMenu(true);
    connect(settings, &QAction::triggered, this, [this] { m_actions.openSettings(); });
    connect(quit, &QAction::triggered, this, [this] { m_actions.quit(); });

    m_trayIcon->setIcon(menuBarIcon());
    m_trayIcon->setToolTip(QStringLiteral("Ondrel"));
    // The tray opens the menu itself on a secondary click; a primary click is ours.
    m_trayIcon->setContextMenu(m_menu.get());
    connect(m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A quick click after the one that closed the panel arrives as a double click.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    statusItemClicked();
            });
    m_trayIcon->show();
}

StatusItem::~StatusItem() = default;

void StatusItem::setUpPanel(rules::RuleStore& ruleStore,
                            paste::HotkeyCoordinator& hotkeyCoordinator)
{
    // A popup window holds the pointer while shown: a click outside it closes it, and that
    // click is not passed on, so a click on the icon closes the panel without reopening it.
    m_panel = std::make_unique<QFrame>(nullptr, Qt::Popup | Qt::FramelessWindowHint);
    m_panel->setObjectName(QStringLiteral("MenuBarPanel"));
    m_panel->setAccessibleName(QStringLiteral("Ondrel"));
    m_panel->setAttribute(Qt::WA_NoMouseReplay);
    m_panel->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    m_panel->installEventFilter(this);
    auto* layout = new QVBoxLayout(m_panel.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new ui::MenuBarView(
        ruleStore, hotkeyCoordinator,
        [this] {
            closePanel();
            m_actions.openSettings();
        },
        [this] { m_actions.quit(); }, m_panel.get()));
}

void StatusItem::showSessionNotice(const QString& reason)
{
    m_trayIcon->setToolTip(QStringLiteral("Ondrel\n") + reason);
    if (!m_panel)
        return;
    auto* notice = new QLabel(reason, m_panel.get());
    notice->setObjectName(QStringLiteral("sessionNotice"));
    notice->setAccessibleName(reason);
    notice->setTextFormat(Qt::PlainText);
    notice->setWordWrap(true);
    notice->setFixedWidth(ui::MenuBarView::panelWidth);
    notice->setContentsMargins(16, 8, 16, 10);
    ui::applyTextStyle(*notice, ui::TextStyle::caption, ui::TextTone::secondary);
    m_panel->layout()->addWidget(notice);
}

void StatusItem::statusItemClicked()
{
    if (isPanelShown())
        closePanel();
    else
        showPanel();
}

void StatusItem::showPanel()
{
    if (!m_panel)
        return;
    QRect icon = m_trayIcon->geometry();
    // A tray that does not tell where the icon is (StatusNotifierItem hosts often do not):
    // the click was on the icon, so the pointer is there.
    if (!icon.isValid() || icon.isEmpty())
        icon = QRect(QCursor::pos(), QSize(1, 1));
    const QScreen* screen = QGuiApplication::screenAt(icon.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    m_panel->adjustSize();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(), m_panel->size());
    m_panel->move(panelPosition(icon, m_panel->size(), area));
    m_panel->show();
    m_panel->activateWindow();
}

void StatusItem::closePanel()
{
    if (m_panel)
        m_panel->hide();
}

bool StatusItem::isPanelShown() const
{
    return m_panel && m_panel->isVisible();
}

bool StatusItem::eventFilter(QObject* watched, QEvent* event)
{
    // Escape dismisses the panel, as it does any transient popover.
    if (watched == m_panel.get() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        closePanel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool StatusItem::isInTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable() && m_trayIcon->isVisible();
}

QIcon StatusItem::menuBarIcon()
{
    if (QFile::exists(QString::fromLatin1(menuBarIconPath)))
        return QIcon(QString::fromLatin1(menuBarIconPath));
    return ui::symbolIcon(u"doc.on.clipboard");
}

QPoint StatusItem::panelPosition(const QRect& icon, const QSize& panelSize, const QRect& screen)
{
    const bool atBottom = icon.center().y() > screen.center().y();
    const int y =
        atBottom ? icon.top() - panelGap - panelSize.height() : icon.bottom() + 1 + panelGap;
    int x = icon.center().x() - panelSize.width() / 2;
    x = std::max(screen.left(), std::min(x, screen.right() + 1 - panelSize.width()));
    return {x, y};
}

} // namespace ondrel::app
