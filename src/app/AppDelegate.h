#pragma once

#include "SettingsWindowController.h"
#include "StatusItem.h"

#include "common/ObserverList.h"
#include "ui/UiContext.h"

#include <QObject>

#include <functional>
#include <memory>

namespace ondrel::app {

// The application: builds the long-lived objects at launch, in a fixed order, and keeps them
// until the process ends; owns the tray icon, its panel and the settings window. Main thread.
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    /// How long launch waits for a tray to appear (a session still starting its panel)
    /// before it opens the settings window instead.
    static constexpr int trayGracePeriodMs = 3000;
    /// Identifier of the notification that the rules file could not be read.
    static constexpr const char* rejectedRulesNotification = "rules-file-rejected";

    /// Runs on platform; quit is what "Quit Ondrel" and SIGTERM do (ends the event loop).
    AppDelegate(std::unique_ptr<platform::Platform> platform, std::function<void()> quit);
    ~AppDelegate() override;

    /// The launch: store, permission manager, coordinator, tray icon, panel, shortcut and the
    /// Accessibility check, in this order, once.
    void applicationDidFinishLaunching();

    /// Closes the panel and shows the settings window, built at its first opening.
    void openSettings();
    /// Ends the application.
    void quit();

    StatusItem* statusItem() const { return m_statusItem.get(); }
    /// Null until the settings window was first opened.
    SettingsWindowController* settingsWindowController() const
    {
        return m_settingsWindowController.get();
    }

private:
    void checkTray();
    void tellOfRejectedRulesFile();

    std::unique_ptr<platform::Platform> m_platform;
    std::function<void()> m_quit;
    std::unique_ptr<rules::RuleStore> m_ruleStore;
    std::unique_ptr<paste::PermissionManager> m_permissionManager;
    std::unique_ptr<shortcuts::KeyboardShortcuts> m_keyboardShortcuts;
    std::shared_ptr<paste::HotkeyCoordinator> m_hotkeyCoordinator;
    std::unique_ptr<ui::UiContext> m_context;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<SettingsWindowController> m_settingsWindowController;
    common::Subscription m_lastMatchLog;
};

} // namespace ondrel::app
