#pragma once

#include <unicode/unistr.h>

#include <cstdint>
#include <string_view>

namespace ondrel::rules::detail {

// The bound on one evaluation of a user's regular expression. ICU counts match work
// in units of 10,000 engine steps, so the limit is deterministic: 100 units are one
// million steps, about 15 ms on a slow desktop. A backtracking pattern such as
// "^(a+)+$" that would run for hours stops there and counts as no match, so a rule
// can never freeze the paste. The backtrack stack is capped as well.
inline constexpr std::int32_t regexWorkLimit = 100;
inline constexpr std::int32_t regexStackLimitBytes = 8 * 1024 * 1024;

/// Whether the ICU regular expression pattern (flags 0) is found anywhere in text.
/// An invalid pattern, or an evaluation that exceeds the bounds above, is no match.
bool regexFinds(std::string_view pattern, const icu::UnicodeString& text);

} // namespace ondrel::rules::detail
