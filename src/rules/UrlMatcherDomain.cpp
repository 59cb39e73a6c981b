#include "UrlMatcherDomain.h"

#include "HexDigit.h"
#include "UrlMatcherText.h"

#include <arpa/inet.h>
#include <uriparser/Uri.h>

#include <cstring>

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

class ParsedUri
{
public:
    explicit ParsedUri(std::string_view text)
    {
        const char* errorPos = nullptr;
        m_ok = uriParseSingleUriExA(&m_uri, text.data(), text.data() + text.size(), &errorPos) ==
               URI_SUCCESS;
    }
    ~ParsedUri()
    {
        if (m_ok)
            uriFreeUriMembersA(&m_uri);
    }
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;

    bool ok() const { return m_ok; }
    const UriUriA& uri() const { return m_uri; }

private:
    UriUriA m_uri{};
    bool m_ok = false;
};

std::string_view rangeText(const UriTextRangeA& range)
{
    if (!range.first || !range.afterLast || range.afterLast <= range.first)
        return {};
    return {range.first, static_cast<std::size_t>(range.afterLast - range.first)};
}

} // namespace

std::optional<UrlMatcherHost> urlHost(std::string_view url)
{
    // An empty view may have no data pointer; uriparser wants a real range.
    if (url.empty())
        return std::nullopt;
    ParsedUri parsed(url);
    if (!parsed.ok())
        return std::nullopt;
    const UriUriA& uri = parsed.uri();
    const std::string_view hostText = rangeText(uri.hostText);
    if (rangeText(uri.scheme).empty() || hostText.empty())
        return std::nullopt;

    UrlMatcherHost host;
    if (uri.hostData.ip6) {
        host.kind = UrlMatcherHost::Kind::ipv6;
        std::memcpy(host.ipv6.data(), uri.hostData.ip6->data, host.ipv6.size());
        host.text = std::string(hostText);
    } else if (uri.hostData.ip4) {
        host.kind = UrlMatcherHost::Kind::ipv4;
        host.text = std::string(hostText);
    } else if (uri.hostData.ipFuture.first) {
        host.kind = UrlMatcherHost::Kind::ipFuture;
        host.text = std::string(hostText);
    } else {
        host.text = percentDecoded(hostText);
    }
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
