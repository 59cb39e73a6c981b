#pragma once

#include <QLoggingCategory>

namespace ondrel::platform::x11 {
// Diagnostics of the X11 backend ("ondrel.platform.x11").
Q_DECLARE_LOGGING_CATEGORY(x11Log)
} // namespace ondrel::platform::x11
