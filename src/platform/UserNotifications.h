#pragma once

#include "Service.h"

#include <string>

namespace ondrel::platform {

// Notifications shown to the user by the desktop.
class UserNotifications : public Service
{
public:
    /// Shows a notification now, replacing an earlier one with the same identifier.
    virtual void deliver(const std::string& identifier, const std::string& title,
                         const std::string& body) = 0;
};

} // namespace ondrel::platform
