#include "AppDelegate.h"

#include "AppLog.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "paste/HotkeyCoordinator.h"
#include "paste/PermissionManager.h"
#include "platform/Platform.h"
#include "rules/RuleStore.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>

namespace ondrel::app {

AppDelegate::AppDelegate(std::unique_ptr<platform::Platform> platform, std::function<void()> quit)
    : m_platform(std::move(platform)), m_quit(std::move(quit))
{}

AppDelegate::~AppDelegate()
{
    // Windows first: they observe the objects below.
    m_settingsWindowController.reset();
    m_statusItem.reset();
}

void AppDelegate::applicationDidFinishLaunching()
{
    // 1. No window of our own and no taskbar entry: closing the settings window must not end
    //    the program, which lives in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    // 2.-4. The long-lived objects, each once, in this order.
    m_ruleStore = std::make_unique<rules::RuleStore>();
    tellOfRejectedRulesFile();
    m_permissionManager =
        std::make_unique<paste::PermissionManager>(paste::PermissionManager::Services{
            *m_platform->executor, *m_platform->accessibility, *m_platform->alerts, {}});
    m_keyboardShortcuts = std::make_unique<shortcuts::KeyboardShortcuts>(*m_platform);
    m_hotkeyCoordinator = paste::HotkeyCoordinator::create(
        *m_ruleStore, *m_permissionManager,
        paste::HotkeyCoordinator::services(*m_platform, *m_keyboardShortcuts));
    m_context = std::make_unique<ui::UiContext>(
        ui::UiContext{*m_platform, *m_ruleStore, *m_permissionManager, *m_hotkeyCoordinator,
                      *m_keyboardShortcuts});
    // 5.-6. The tray icon, then the panel.
    m_statusItem = std::make_unique<StatusItem>(
        StatusItem::Actions{[this] { openSettings(); }, [this] { quit(); }});
    m_statusItem->setUpPanel(*m_ruleStore, *m_hotkeyCoordinator);
    if (const auto& session = m_platform->session; !session.smartPasteAvailable()) {
        const QString reason = QString::fromStdString(session.unavailableReason);
        qCWarning(appLog).noquote() << reason;
        m_statusItem->showSessionNotice(reason);
    }
    // 7. The first use of the shortcut's name stores its default and grabs it.
    m_hotkeyCoordinator->registerHotkey();
    qCDebug(appLog) << "shortcut registered";
    m_keyboardShortcuts->onKeyDown(paste::HotkeyCoordinator::smartPasteName(*m_keyboardShortcuts),
                                   [] { qCDebug(appLog) << "shortcut pressed"; });
    m_lastMatchLog =
        m_hotkeyCoordinator->addDidChangeObserver([this] {
            qCDebug(appLog).noquote()
                << "smart paste used"
                << QString::fromStdString(m_hotkeyCoordinator->lastMatchedRuleName().value_or(""));
        });
    checkTray();
    // 8. May show a modal alert; launch ends when it is answered.
    m_permissionManager->promptForAccessibilityIfNeeded();
    qCDebug(appLog) << "launched";
}

// Starting with no rules would otherwise look as if the user's rules were gone.
void AppDelegate::tellOfRejectedRulesFile()
{
    const std::optional<std::string> keptAs = m_ruleStore->rejectedFileKeptAs();
    if (!keptAs)
        return;
    m_platform->userNotifications->deliver(
        rejectedRulesNotification, "Ondrel could not read your rules",
        "Ondrel started with no rules. Your rules file is left as it is until you change a "
        "rule; then Ondrel keeps it beside the new one as " +
            *keptAs + ".");
}

void AppDelegate::checkTray()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        return;
    // A session being started may bring its tray up a moment after us.
    QTimer::singleShot(trayGracePeriodMs, this, [this] {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            return;
        qCWarning(appLog) << "This desktop has no system tray; Ondrel shows its settings window "
                             "instead of a tray icon.";
        openSettings();
    });
}

void AppDelegate::openSettings()
{
    if (m_statusItem)
        m_statusItem->closePanel();
    if (!m_context)
        return;
    if (!m_settingsWindowController)
        m_settingsWindowController = std::make_unique<SettingsWindowController>(*m_context);
    m_settingsWindowController->showWindow();
}

void AppDelegate::quit()
{
    if (m_quit)
        m_quit();
}

} // namespace ondrel::app
