#pragma once

#include "Service.h"

#include <optional>
#include <string>

namespace ondrel::platform {

enum class LoginItemStatus
{
    notRegistered,
    enabled,
    requiresApproval,
    notFound
};

// Starting Ondrel when the user logs in (an XDG autostart entry on Linux).
class LoginItem : public Service
{
public:
    /// Whether Ondrel starts at login.
    virtual LoginItemStatus status() = 0;
    /// Makes Ondrel start at login; the error's description on failure.
    virtual std::optional<std::string> registerItem() = 0;
    /// Stops Ondrel starting at login; the error's description on failure.
    virtual std::optional<std::string> unregisterItem() = 0;
};

} // namespace ondrel::platform
