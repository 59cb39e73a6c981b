#pragma once

#include "Service.h"

#include <cstddef>
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
    /// The answer Escape or closing the alert gives: the button that changes nothing.
    std::size_t cancelButton = 0;
};

// A top-level window of the toolkit (a QWidget* in the Qt backends), opaque at this boundary.
using WindowHandle = void*;

// Modal alerts and the open panel.
class Alerts : public Service
{
public:
    /// Shows the alert modally; the index of the button pressed (0 for the first).
    virtual int runModal(const Alert& alert) = 0;
    /// Shows the alert as a sheet on window, blocking only that window, and waits for the
    /// answer; a null window runs it application-modal.
    virtual int runSheet(const Alert& alert, WindowHandle window) = 0;
    /// Lets the user choose an application on disk, starting in folder; none when cancelled.
    virtual std::optional<std::string> chooseApplication(const std::string& folder) = 0;
};

} // namespace ondrel::platform
