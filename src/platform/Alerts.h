#pragma once

#include "Service.h"

#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform {

enum class AlertStyle
{
    warning,
    informational,
    critical
};

struct Alert
{
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons; // first is the default button
    AlertStyle style = AlertStyle::warning;
};

// Modal alerts and the open panel.
class Alerts : public Service
{
public:
    /// Shows the alert modally; the index of the button pressed (0 for the first).
    virtual int runModal(const Alert& alert) = 0;
    /// Lets the user choose an application on disk, starting in folder; none when cancelled.
    virtual std::optional<std::string> chooseApplication(const std::string& folder) = 0;
};

} // namespace ondrel::platform
