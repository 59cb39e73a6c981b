#pragma once

#include "platform/Alerts.h"

namespace ondrel::platform::freedesktop {

// Alerts as message boxes, application-modal or as sheets on one window (window-modal); the
// chooser is a file dialog over desktop entries.
class QtAlerts final : public Alerts
{
public:
    QtAlerts() = default;

    int runModal(const Alert& alert) override;
    int runSheet(const Alert& alert, WindowHandle window) override;
    std::optional<std::string> chooseApplication(const std::string& folder) override;
};

} // namespace ondrel::platform::freedesktop
