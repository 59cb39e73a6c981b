#pragma once

#include "platform/Session.h"

#include <functional>
#include <optional>
#include <string>

namespace ondrel::platform {

using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

/// Finds the session from the variables a desktop session sets (WAYLAND_DISPLAY, SWAYSOCK,
/// XDG_CURRENT_DESKTOP, XDG_SESSION_DESKTOP). swaySupported says whether this build drives sway.
Session detectSession(const EnvironmentLookup& environment, bool swaySupported);
/// The same, from this process's environment.
Session detectSession(bool swaySupported);

} // namespace ondrel::platform
