#pragma once

#include "Command.h"

#include "rules/Rule.h"

#include <optional>
#include <string_view>
#include <variant>

namespace ondrel::ctl {

/// Reads and decodes a rules file exactly as the application does: file, or the user's
/// rules file when none is given. On rejection (a missing file included) prints one line
/// with the reason on err and returns none.
std::optional<rules::RuleStorage> loadRules(std::optional<std::string_view> file, Io io);

/// For commands of the form "NAME [FILE]": parses args, then loads FILE (or the user's
/// rules file). Returns the rules, or the exit status to end with (help, usage, rejection).
std::variant<rules::RuleStorage, int> loadFileOperand(const Command& command, Arguments args,
                                                      Io io);

} // namespace ondrel::ctl
