#pragma once

#include "Rule.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

// A rules file holds one entry per rule; anything this large is not one, and
// refusing it early keeps a hostile file from exhausting memory.
inline constexpr std::size_t maxFileSize = 64 * 1024 * 1024;
// The format needs three levels; the rest is headroom for unknown keys.
inline constexpr std::size_t maxNestingDepth = 64;

/// The exact bytes written for storage (version is always written as 1).
std::string encode(const std::vector<Rule>& rules);
/// Reads a whole file, all or nothing.
DecodeResult decode(std::string_view bytes);

/// The stored form of a time: "2024-01-31T09:15:00Z", truncated to whole seconds.
std::string formatTime(TimePoint time);
/// The time of exactly that stored form; none for any other text or an unrepresentable time.
std::optional<TimePoint> parseTime(std::string_view text);

} // namespace RulesFile

} // namespace ondrel::rules
