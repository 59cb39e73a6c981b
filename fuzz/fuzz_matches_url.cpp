// matchesURL on any mode, pattern and URL: input is one mode byte, the pattern, a line
// feed, then the URL (which may hold further line feeds). It must neither crash nor
// hang, must answer the same twice (compiled patterns are cached), and findMatchingRule
// must agree with it for a rule holding that pattern.

#include "rules/RuleMatching.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace ondrel::rules;

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_matches_url: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    constexpr std::size_t modeCount = std::size(allURLMatchModes);
    const URLMatchMode mode = allURLMatchModes[data[0] % modeCount];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = rest.find('\n');
    const std::string_view pattern = rest.substr(0, split);
    const std::string url(split == std::string_view::npos ? std::string_view()
                                                          : rest.substr(split + 1));

    const bool matched = matchesURL(url, pattern, mode);
    if (matchesURL(url, pattern, mode) != matched)
        fail("the same question got two answers");

    Rule rule;
    rule.name = "fuzz";
    rule.urlPattern = std::string(pattern);
    rule.urlMatchMode = mode;
    const auto found = findMatchingRule(std::span(&rule, 1), "app", url);
    if (found.has_value() != (pattern.empty() || matched))
        fail("findMatchingRule disagrees with matchesURL");
    return 0;
}
