#pragma once

#include "Rule.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ondrel::rules {

/// The ranking value of a rule: 10 for a specific application, plus the URL part of its mode.
int specificity(const Rule& rule);
/// Whether url satisfies pattern under mode.
bool matchesURL(std::string_view url, std::string_view pattern, URLMatchMode mode);
/// The enabled rule that matches the context with the highest specificity; ties to the earlier.
std::optional<Rule> findMatchingRule(std::span<const Rule> rules, std::string_view bundleID,
                                     const std::optional<std::string>& url);

} // namespace ondrel::rules
