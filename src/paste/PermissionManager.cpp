#include "PermissionManager.h"

#include "AccessibilitySettings.h"

#include <utility>

namespace ondrel::paste {

PermissionManager::PermissionManager(Services services)
    : m_executor(services.executor), m_accessibility(services.accessibility),
      m_alerts(services.alerts), m_openSettings(std::move(services.openSettings))
{
    if (!m_openSettings)
        m_openSettings = [] { AccessibilitySettings::open(); };
    m_hasAccessibility = m_accessibility.isProcessTrusted();
}

PermissionManager::~PermissionManager()
{
    stopPolling();
}

void PermissionManager::refreshAccessibility()
{
    const bool trusted = m_accessibility.isProcessTrusted();
    m_willChange.notify();
    m_hasAccessibility = trusted;
    m_didChange.notify();
}

void PermissionManager::promptForAccessibilityIfNeeded()
{
    refreshAccessibility();
    if (m_hasAccessibility)
        return;
    if (!canGrantAccessibility()) {
        m_alerts.runModal(platform::Alert{alertMessage,
                                          noSyntheticInputInformation,
                                          {okButton},
                                          platform::AlertStyle::warning,
                                          0});
        return;
    }
    const platform::Alert alert{alertMessage,
                                alertInformation,
                                {grantButton, laterButton},
                                platform::AlertStyle::informational,
                                1};
    if (m_alerts.runModal(alert) == 0)
        requestAccessibility();
}

void PermissionManager::requestAccessibility()
{
    switch (m_accessibility.requestTrust()) {
    case platform::TrustRequest::pending:
    case platform::TrustRequest::failed:
        // Where the user answers elsewhere, or the switch failed, the settings are the way.
        openAccessibilitySettings();
        break;
    case platform::TrustRequest::granted:
    case platform::TrustRequest::declined:
    case platform::TrustRequest::impossible:
        break;
    }
    // Trust is read at every paste, so a grant counts at once; the flag shows it now too.
    refreshAccessibility();
}

void PermissionManager::startPolling()
{
    stopPolling();
    schedulePoll();
}

void PermissionManager::stopPolling()
{
    if (m_pollingTimer)
        m_executor.cancel(*m_pollingTimer);
    m_pollingTimer.reset();
}

void PermissionManager::schedulePoll()
{
    // The destructor cancels the pending tick, so the tick never outlives the manager.
    m_pollingTimer = m_executor.runAfter(pollInterval, [this] {
        schedulePoll();
        refreshAccessibility();
    });
}

void PermissionManager::openAccessibilitySettings()
{
    m_openSettings();
}

common::Subscription PermissionManager::addObserver(std::function<void()> willChange)
{
    return m_willChange.add(std::move(willChange));
}

common::Subscription PermissionManager::addDidChangeObserver(std::function<void()> didChange)
{
    return m_didChange.add(std::move(didChange));
}

} // namespace ondrel::paste
