#pragma once

#include <QLoggingCategory>

namespace ondrel::platform::freedesktop {
// Diagnostics of the freedesktop services ("ondrel.platform.freedesktop").
Q_DECLARE_LOGGING_CATEGORY(desktopLog)
} // namespace ondrel::platform::freedesktop
