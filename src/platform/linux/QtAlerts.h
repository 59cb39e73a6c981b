#pragma once

#include "platform/Alerts.h"

namespace ondrel::platform::x11 {

// Alerts as application-modal message boxes; the chooser is a file dialog over desktop entries.
class QtAlerts final : public Alerts
{
public:
    QtAlerts() = default;

    int runModal(const Alert& alert) override;
    std::optional<std::string> chooseApplication(const std::string& folder) override;
};

} // namespace ondrel::platform::x11
