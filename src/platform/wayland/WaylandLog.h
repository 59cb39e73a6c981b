#pragma once

#include <QLoggingCategory>

namespace ondrel::platform::wayland {
// Diagnostics of the Wayland backend ("ondrel.platform.wayland").
Q_DECLARE_LOGGING_CATEGORY(waylandLog)
} // namespace ondrel::platform::wayland
