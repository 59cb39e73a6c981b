#include "AppLog.h"

Q_LOGGING_CATEGORY(appLog, "ondrel.app")
