#include "UrlMatcherDomain.h"

#include "HexDigit.h"
#include "UrlMatcherText.h"

#include <arpa/inet.h>

#include <algorithm>

namespace ondrel::rules::detail {

namespace {

// Decodes every %XX; the bytes may be anything, NUL included, and are kept as they are.
std::string percentDecoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexDigitValue(text[i + 1]);
            const int low = hexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::optional<std::array<std::uint8_t, 16>> parseIpv6(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::array<std::uint8_t, 16> address{};
    if (inet_pton(AF_INET6, std::string(text).c_str(), address.data()) != 1)
        return std::nullopt;
    return address;
}

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Browsers drop tabs and line breaks anywhere in a URL and controls or spaces around it.
std::string withoutIgnoredCharacters(std::string_view url)
{
    const auto isOuter = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!url.empty() && isOuter(url.front()))
        url.remove_prefix(1);
    while (!url.empty() && isOuter(url.back()))
        url.remove_suffix(1);
    std::string out;
    out.reserve(url.size());
    for (char c : url) {
        if (c != '\t' && c != '\n' && c != '\r')
            out.push_back(c);
    }
    return out;
}

// The text after "scheme:", or none when the URL does not begin with a scheme.
std::optional<std::string_view> afterScheme(std::string_view url)
{
    if (url.empty() || !isAsciiAlpha(url.front()))
        return std::nullopt;
    for (std::size_t i = 1; i < url.size(); ++i) {
        const char c = url[i];
        if (c == ':')
            return url.substr(i + 1);
        if (!isAsciiAlpha(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.')
            return std::nullopt;
    }
    return std::nullopt;
}

// Characters no browser lets stand in a host; percent-encoded, they are ordinary bytes.
bool isForbiddenInHost(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7f ||
           std::string_view("#/:<>?@[\\]^|").find(c) != std::string_view::npos;
}

bool isDecOctet(std::string_view text)
{
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text.front() == '0'))
        return false;
    int value = 0;
    for (char c : text) {
        if (!isAsciiDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= 255;
}

// Dotted decimal exactly as written in a URL: four octets, no leading zeros.
bool isIpv4(std::string_view text)
{
    for (int octet = 0; octet < 4; ++octet) {
        const std::size_t dot = octet < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos || !isDecOctet(text.substr(0, dot)))
            return false;
        text.remove_prefix(std::min(dot + 1, text.size()));
    }
    return true;
}

// "v" 1*HEX "." 1*(unreserved / sub-delims / ":"), as between the brackets of a URL.
bool isIpFuture(std::string_view text)
{
    if (text.size() < 4 || (text.front() != 'v' && text.front() != 'V'))
        return false;
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot < 2 || dot + 1 == text.size())
        return false;
    for (std::size_t i = 1; i < dot; ++i) {
        if (hexDigitValue(text[i]) < 0)
            return false;
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(dot) + 1, text.end(), [](char c) {
        return isAsciiAlpha(c) || isAsciiDigit(c) ||
               std::string_view("-._~!$&'()*+,;=:").find(c) != std::string_view::npos;
    });
}

std::optional<UrlMatcherHost> bracketedHost(std::string_view inside)
{
    UrlMatcherHost host;
    host.text = std::string(inside);
    if (isIpFuture(inside)) {
        host.kind = UrlMatcherHost::Kind::ipFuture;
        return host;
    }
    auto address = parseIpv6(inside);
    if (!address)
        return std::nullopt;
    host.kind = UrlMatcherHost::Kind::ipv6;
    host.ipv6 = *address;
    return host;
}

} // namespace

std::optional<UrlMatcherHost> urlHost(std::string_view url)
{
    // Read the way a browser's address parser reads: find the authority after
    // "scheme://" and only then look at what it holds. Whatever follows it (path,
    // query, fragment) may hold anything, raw brackets, bare "%" and a second "#"
    // included, since it plays no part.
    const std::string cleaned = withoutIgnoredCharacters(url);
    const auto rest = afterScheme(cleaned);
    if (!rest || !rest->starts_with("//"))
        return std::nullopt;
    std::string_view authority = rest->substr(2);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    // User info ends at the last "@": a password may hold a raw one.
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);

    std::string_view hostText = authority;
    std::string_view port;
    std::optional<UrlMatcherHost> host;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = bracketedHost(authority.substr(1, close - 1));
        if (!host)
            return std::nullopt;
        hostText = authority.substr(0, close + 1);
    } else {
        hostText = authority.substr(0, authority.find(':'));
        if (hostText.empty() || std::any_of(hostText.begin(), hostText.end(), isForbiddenInHost))
            return std::nullopt;
        host.emplace();
        if (isIpv4(hostText)) {
            host->kind = UrlMatcherHost::Kind::ipv4;
            host->text = std::string(hostText);
        } else {
            host->text = percentDecoded(hostText);
        }
    }
    port = authority.substr(hostText.size());
    if (!port.empty() &&
        (port.front() != ':' || !std::all_of(port.begin() + 1, port.end(), isAsciiDigit)))
        return std::nullopt;
    return host;
}

UrlMatcherHost patternHost(std::string_view pattern)
{
    if (auto host = urlHost(pattern)) {
        // "https://*.example.com" names the same domain as "*.example.com"; taken
        // literally it would be a host that no browser ever reports.
        if (host->kind == UrlMatcherHost::Kind::name && host->text.starts_with("*."))
            host->text.erase(0, 2);
        return *host;
    }
    if (pattern.starts_with("*."))
        pattern.remove_prefix(2);

    UrlMatcherHost host;
    if (auto address = parseIpv6(pattern)) {
        host.kind = UrlMatcherHost::Kind::ipv6;
        host.ipv6 = *address;
    }
    if (pattern.size() >= 2 && pattern.front() == '[' && pattern.back() == ']')
        pattern = pattern.substr(1, pattern.size() - 2);
    host.text = std::string(pattern);
    return host;
}

bool domainMatches(const UrlMatcherHost& host, const UrlMatcherHost& pattern)
{
    // An empty pattern host would otherwise match every host written with a trailing dot.
    if (pattern.text.empty())
        return false;
    using Kind = UrlMatcherHost::Kind;
    if (host.kind == Kind::ipv6 && pattern.kind == Kind::ipv6)
        return host.ipv6 == pattern.ipv6;

    const UrlMatcherText hostText(host.text);
    const UrlMatcherText patternText(pattern.text);
    if (canonicalEquals(hostText, patternText))
        return true;
    if (host.kind != Kind::name)
        return false;
    const std::string dotted = "." + pattern.text;
    return canonicalHasSuffix(hostText, UrlMatcherText(dotted));
}

} // namespace ondrel::rules::detail
