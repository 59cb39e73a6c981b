#include "Rule.h"

#include <utility>

namespace ondrel::rules {

namespace {

constexpr std::pair<URLMatchMode, std::string_view> urlMatchModeNames[] = {
    {URLMatchMode::domain, "domain"},     {URLMatchMode::exact, "exact"},
    {URLMatchMode::prefix, "prefix"},     {URLMatchMode::contains, "contains"},
    {URLMatchMode::wildcard, "wildcard"}, {URLMatchMode::regex, "regex"},
};

constexpr std::pair<RuleContentType, std::string_view> contentTypeNames[] = {
    {RuleContentType::plainText, "plainText"},
    {RuleContentType::richText, "richText"},
};

template <typename Enum, std::size_t N>
std::string_view nameOf(const std::pair<Enum, std::string_view> (&table)[N], Enum value)
{
    for (const auto& [entry, name] : table) {
        if (entry == value)
            return name;
    }
    return {};
}

template <typename Enum, std::size_t N>
std::optional<Enum> valueOf(const std::pair<Enum, std::string_view> (&table)[N],
                            std::string_view raw)
{
    for (const auto& [entry, name] : table) {
        if (name == raw)
            return entry;
    }
    return std::nullopt;
}

} // namespace

std::string_view rawValue(URLMatchMode mode)
{
    return nameOf(urlMatchModeNames, mode);
}

std::string_view rawValue(RuleContentType type)
{
    return nameOf(contentTypeNames, type);
}

std::optional<URLMatchMode> urlMatchModeFromRaw(std::string_view raw)
{
    return valueOf(urlMatchModeNames, raw);
}

std::optional<RuleContentType> ruleContentTypeFromRaw(std::string_view raw)
{
    return valueOf(contentTypeNames, raw);
}

} // namespace ondrel::rules
