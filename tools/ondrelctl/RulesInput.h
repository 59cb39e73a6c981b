#pragma once

#include "Command.h"

#include "rules/Rule.h"

#include <optional>
#include <string_view>

namespace ondrel::ctl {

/// Reads and decodes a rules file exactly as the application does: file, or the user's
/// rules file when none is given. On rejection (a missing file included) prints one line
/// with the reason on err and returns none.
std::optional<rules::RuleStorage> loadRules(std::optional<std::string_view> file, Io io);

} // namespace ondrel::ctl
