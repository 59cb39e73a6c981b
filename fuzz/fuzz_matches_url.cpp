// matchesURL on any mode, pattern and URL: input is one mode byte, the pattern, a line
// feed, then the URL (which may hold further line feeds). It must neither crash nor
// hang, must answer the same twice (compiled patterns are cached), and findMatchingRule
// must agree with it for a rule holding that pattern. The lenient host reader behind
// "domain" must find the same host as a strict RFC 3986 parser wherever that one accepts
// the text.

#include "rules/RuleMatching.h"
#include "rules/UrlMatcherDomain.h"

#include <uriparser/Uri.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace ondrel::rules;
using ondrel::rules::detail::UrlMatcherHost;

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_matches_url: %s\n", what);
    std::abort();
}

std::string_view rangeText(const UriTextRangeA& range)
{
    if (!range.first || !range.afterLast || range.afterLast <= range.first)
        return {};
    return {range.first, static_cast<std::size_t>(range.afterLast - range.first)};
}

std::string percentDecoded(std::string_view text)
{
    std::string out(text);
    out.resize(static_cast<std::size_t>(
        uriUnescapeInPlaceExA(out.data(), URI_FALSE, URI_BR_DONT_TOUCH) - out.data()));
    return out;
}

// The strict reading: none when text is no RFC 3986 URI reference, else its host.
std::optional<std::optional<UrlMatcherHost>> strictHost(const std::string& text)
{
    UriUriA uri{};
    const char* errorPos = nullptr;
    if (uriParseSingleUriExA(&uri, text.data(), text.data() + text.size(), &errorPos) !=
        URI_SUCCESS)
        return std::nullopt;
    std::optional<UrlMatcherHost> host;
    const std::string_view hostText = rangeText(uri.hostText);
    if (!rangeText(uri.scheme).empty() && !hostText.empty()) {
        host.emplace();
        host->text = std::string(hostText);
        if (uri.hostData.ip6) {
            host->kind = UrlMatcherHost::Kind::ipv6;
            std::copy(std::begin(uri.hostData.ip6->data), std::end(uri.hostData.ip6->data),
                      host->ipv6.begin());
        } else if (uri.hostData.ip4) {
            host->kind = UrlMatcherHost::Kind::ipv4;
        } else if (uri.hostData.ipFuture.first) {
            host->kind = UrlMatcherHost::Kind::ipFuture;
        } else {
            host->text = percentDecoded(hostText);
        }
    }
    uriFreeUriMembersA(&uri);
    return host;
}

void checkHostAgainstStrictReading(const std::string& text)
{
    // uriparser wants a non-empty range and stops at nothing, NUL included.
    if (text.empty())
        return;
    const auto strict = strictHost(text);
    if (strict && *strict != detail::urlHost(text))
        fail("the lenient host differs from the strict one");
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

    checkHostAgainstStrictReading(url);
    checkHostAgainstStrictReading(std::string(pattern));

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
