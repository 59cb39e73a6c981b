#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::rules::detail {

// A host as domain matching compares it: a registered name, or an address literal.
struct UrlMatcherHost
{
    enum class Kind
    {
        name,
        ipv4,
        ipv6,
        ipFuture
    };

    Kind kind = Kind::name;
    /// Percent-decoded; an IPv6 or future address without its brackets.
    std::string text;
    /// The address when kind is ipv6, so "::1" and "0:0:0:0:0:0:0:1" are one host.
    std::array<std::uint8_t, 16> ipv6{};

    bool operator==(const UrlMatcherHost&) const = default;
};

/// The non-empty host of a URL with a scheme and an authority, read as leniently as a
/// browser reads an address: the rest of the URL may hold characters RFC 3986 refuses.
std::optional<UrlMatcherHost> urlHost(std::string_view url);
/// The host a domain pattern names: a URL's host, else the text without a leading "*.".
UrlMatcherHost patternHost(std::string_view pattern);
/// Whether host is the pattern's host or lies under it. Address literals have nothing
/// under them: they match only the same address.
bool domainMatches(const UrlMatcherHost& host, const UrlMatcherHost& pattern);

} // namespace ondrel::rules::detail
