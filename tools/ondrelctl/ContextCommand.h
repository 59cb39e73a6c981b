#pragma once

#include "Command.h"

namespace ondrel::ctl {

/// "context": what a smart paste would see now (or after a wait) on this desktop.
const Command& contextCommand();

} // namespace ondrel::ctl
