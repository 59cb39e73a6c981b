#pragma once

// bundleID keeps the name the rules file uses; on Linux it holds an application ID (see
// platform/Workspace.h), or "*" for any application.

#include "Uuid.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::rules {

// How a rule's urlPattern is compared with the browser's URL; declared in the order offered.
enum class URLMatchMode
{
    domain,
    exact,
    prefix,
    contains,
    wildcard,
    regex
};

// How a rule's content goes onto the clipboard.
enum class RuleContentType
{
    plainText,
    richText
};

using TimePoint = std::chrono::system_clock::time_point;

// One paste rule. A plain value: copied freely, compared field by field.
struct Rule
{
    Uuid id = Uuid::createRandom();
    std::string name = "New Rule";
    std::string bundleID = "*";
    std::string appDisplayName = "Any Application";
    std::optional<std::string> urlPattern;
    URLMatchMode urlMatchMode = URLMatchMode::domain;
    RuleContentType contentType = RuleContentType::plainText;
    std::string content;
    bool isEnabled = true;
    TimePoint createdAt = std::chrono::system_clock::now();
    std::optional<TimePoint> lastUsedAt;

    bool operator==(const Rule&) const = default;
};

// The top-level record of the rules file.
struct RuleStorage
{
    long long version = 1;
    std::vector<Rule> rules;

    bool operator==(const RuleStorage&) const = default;
};

// Every case, in declared order.
inline constexpr URLMatchMode allURLMatchModes[] = {
    URLMatchMode::domain,   URLMatchMode::exact,    URLMatchMode::prefix,
    URLMatchMode::contains, URLMatchMode::wildcard, URLMatchMode::regex,
};
inline constexpr RuleContentType allRuleContentTypes[] = {RuleContentType::plainText,
                                                          RuleContentType::richText};

/// The stored raw text of a mode ("domain", "exact", ...).
std::string_view rawValue(URLMatchMode mode);
/// The stored raw text of a content type ("plainText", "richText").
std::string_view rawValue(RuleContentType type);
/// The mode with this raw text, or none.
std::optional<URLMatchMode> urlMatchModeFromRaw(std::string_view raw);
/// The content type with this raw text, or none.
std::optional<RuleContentType> ruleContentTypeFromRaw(std::string_view raw);

} // namespace ondrel::rules
