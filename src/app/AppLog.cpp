#include "AppLog.h"

// Debug lines (launch milestones, shortcut presses, each rule a smart paste used) are for tests
// and benchmarks; QT_LOGGING_RULES="ondrel.app.debug=true" shows them.
Q_LOGGING_CATEGORY(appLog, "ondrel.app", QtInfoMsg)
