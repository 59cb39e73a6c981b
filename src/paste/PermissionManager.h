#pragma once

#include "common/ObserverList.h"

#include "platform/Accessibility.h"
#include "platform/Alerts.h"
#include "platform/Executor.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace ondrel::paste {

// Holds whether this process is trusted for Accessibility, as an observable flag for the
// interface; keeps it fresh while the Permissions pane polls, tells the user at launch when trust
// is missing, and opens the desktop's accessibility settings. Main thread only.
class PermissionManager
{
public:
    static constexpr std::chrono::milliseconds pollInterval{2000};

    static constexpr const char* alertMessage = "Accessibility Permission Required";
    static constexpr const char* alertInformation =
        "Ondrel needs Accessibility access to simulate the paste keystroke.\n\n"
        "Click \"Turn On Accessibility\" to grant access.";
    /// Said instead where no setting can help: the display takes no synthetic keystrokes.
    static constexpr const char* noSyntheticInputInformation =
        "Ondrel needs Accessibility access to simulate the paste keystroke.\n\n"
        "This display does not offer the XTEST extension, so no setting can grant it here. "
        "Start the X server with XTEST enabled to use Ondrel.";
    static constexpr const char* grantButton = "Turn On Accessibility";
    static constexpr const char* laterButton = "Later";
    static constexpr const char* okButton = "OK";

    struct Services
    {
        platform::Executor& executor;
        platform::Accessibility& accessibility;
        platform::Alerts& alerts;
        /// Opens the place where trust is granted; null: AccessibilitySettings::open.
        std::function<void()> openSettings;
    };

    /// Reads the flag from the platform; no poll runs.
    explicit PermissionManager(Services services);
    ~PermissionManager();
    PermissionManager(const PermissionManager&) = delete;
    PermissionManager& operator=(const PermissionManager&) = delete;

    /// Whether the process was trusted when last asked.
    bool hasAccessibility() const { return m_hasAccessibility; }
    /// True while a poll runs.
    bool isPolling() const { return m_pollingTimer.has_value(); }

    /// Assigns the flag the platform's current answer; observers hear of every assignment.
    void refreshAccessibility();
    /// Refreshes; without trust, shows the launch alert and grants trust if asked to.
    void promptForAccessibilityIfNeeded();
    /// Asks the platform to switch trust on (it asks the user first) and opens the desktop's
    /// accessibility settings only where that switch cannot be made; then refreshes.
    void requestAccessibility();
    /// False where no setting can grant trust (the display takes no synthetic keystrokes).
    bool canGrantAccessibility() const { return m_accessibility.canSynthesizeInput(); }
    /// Replaces any running poll by one that refreshes every pollInterval.
    void startPolling();
    /// Ends the poll, if any.
    void stopPolling();
    /// Opens the desktop's accessibility settings where there are any; nothing is reported.
    void openAccessibilitySettings();

    /// Registers a callback run just before the flag is assigned; it still sees the old value.
    [[nodiscard]] common::Subscription addObserver(std::function<void()> willChange);
    /// Registers a callback run just after the flag was assigned.
    [[nodiscard]] common::Subscription addDidChangeObserver(std::function<void()> didChange);

private:
    void schedulePoll();

    platform::Executor& m_executor;
    platform::Accessibility& m_accessibility;
    platform::Alerts& m_alerts;
    std::function<void()> m_openSettings;
    bool m_hasAccessibility = false;
    std::optional<platform::Executor::TimerId> m_pollingTimer;
    common::ObserverList m_willChange;
    common::ObserverList m_didChange;
};

} // namespace ondrel::paste
