#pragma once

#include "Rule.h"

#include <string>
#include <string_view>
#include <variant>

namespace ondrel::rules {

// Why a rules file was rejected: a one-line description for logs and ondrelctl.
struct RulesFileError
{
    std::string description;
};

using DecodeResult = std::variant<RuleStorage, RulesFileError>;

// The rules file format: pretty-printed JSON, sorted keys, upper-case UUIDs,
// whole-second UTC times, escaped solidus.
namespace RulesFile {

/// The exact bytes written for storage (version is always written as 1).
std::string encode(const std::vector<Rule>& rules);
/// Reads a whole file, all or nothing.
DecodeResult decode(std::string_view bytes);

} // namespace RulesFile

} // namespace ondrel::rules
