#include "FreedesktopLog.h"

namespace ondrel::platform::freedesktop {
Q_LOGGING_CATEGORY(desktopLog, "ondrel.platform.freedesktop")
} // namespace ondrel::platform::freedesktop
