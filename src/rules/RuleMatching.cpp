#include "RuleMatching.h"

#include "UrlMatcherDomain.h"
#include "UrlMatcherRegex.h"
#include "UrlMatcherText.h"

#include <fnmatch.h>
#include <locale.h>

#include <algorithm>
#include <vector>

namespace ondrel::rules {

namespace {

using detail::UrlMatcherHost;
using detail::UrlMatcherText;

bool hasUrlCondition(const Rule& rule)
{
    return rule.urlPattern && !rule.urlPattern->empty();
}

int urlPart(URLMatchMode mode)
{
    switch (mode) {
    case URLMatchMode::exact:
        return 9;
    case URLMatchMode::prefix:
    case URLMatchMode::regex:
        return 8;
    case URLMatchMode::domain:
    case URLMatchMode::wildcard:
        return 7;
    case URLMatchMode::contains:
        return 6;
    }
    return 0;
}

// fnmatch follows the thread's locale, and in the C locale "?" would take a single
// byte of a multi-byte character. URLs are UTF-8 whatever the user's locale, so globs
// run under C.UTF-8, which also orders bracket ranges by code point.
class Utf8Locale
{
public:
    Utf8Locale() : m_locale(newlocale(LC_CTYPE_MASK | LC_COLLATE_MASK, "C.UTF-8", locale_t{})) {}
    ~Utf8Locale()
    {
        if (m_locale)
            freelocale(m_locale);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

    locale_t get() const { return m_locale; }

private:
    locale_t m_locale;
};

class ScopedThreadLocale
{
public:
    explicit ScopedThreadLocale(locale_t locale) : m_previous(locale ? uselocale(locale) : nullptr)
    {}
    ~ScopedThreadLocale()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    ScopedThreadLocale(const ScopedThreadLocale&) = delete;
    ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;

private:
    locale_t m_previous;
};

bool globMatches(std::string_view pattern, std::string_view url)
{
    // A C string ends at the first NUL; the rest of the URL could not take part, so
    // the glob could not be said to cover the whole URL.
    if (pattern.find('\0') != std::string_view::npos || url.find('\0') != std::string_view::npos)
        return false;
    thread_local const Utf8Locale utf8;
    const std::string patternText(pattern);
    const std::string urlText(url);
    const ScopedThreadLocale scoped(utf8.get());
    return fnmatch(patternText.c_str(), urlText.c_str(), 0) == 0;
}

// The context URL, prepared once per press and shared by every rule that tests it.
class PreparedUrl
{
public:
    explicit PreparedUrl(std::string_view url) : m_text(url) {}

    const UrlMatcherText& text() const { return m_text; }
    const std::optional<UrlMatcherHost>& host() const
    {
        if (!m_hostParsed) {
            m_host = detail::urlHost(m_text.bytes());
            m_hostParsed = true;
        }
        return m_host;
    }

private:
    UrlMatcherText m_text;
    mutable bool m_hostParsed = false;
    mutable std::optional<UrlMatcherHost> m_host;
};

bool matchesPrepared(const PreparedUrl& url, std::string_view pattern, URLMatchMode mode)
{
    switch (mode) {
    case URLMatchMode::exact:
        return detail::canonicalEquals(url.text(), UrlMatcherText(pattern));
    case URLMatchMode::prefix:
        return detail::canonicalHasPrefix(url.text(), UrlMatcherText(pattern));
    case URLMatchMode::contains:
        return detail::localizedStandardContains(url.text(), UrlMatcherText(pattern));
    case URLMatchMode::wildcard:
        return globMatches(pattern, url.text().bytes());
    case URLMatchMode::regex:
        return detail::regexFinds(pattern, url.text().unicode());
    case URLMatchMode::domain: {
        const auto& host = url.host();
        return host && detail::domainMatches(*host, detail::patternHost(pattern));
    }
    }
    return false;
}

} // namespace

int specificity(const Rule& rule)
{
    const int appPart = rule.bundleID == "*" ? 0 : 10;
    return appPart + (hasUrlCondition(rule) ? urlPart(rule.urlMatchMode) : 0);
}

bool matchesURL(std::string_view url, std::string_view pattern, URLMatchMode mode)
{
    return matchesPrepared(PreparedUrl(url), pattern, mode);
}

std::optional<Rule> findMatchingRule(std::span<const Rule> rules, std::string_view bundleID,
                                     const std::optional<std::string>& url)
{
    const UrlMatcherText app(bundleID);
    struct Candidate
    {
        const Rule* rule;
        int specificity;
    };
    std::vector<Candidate> candidates;
    for (const Rule& rule : rules) {
        if (!rule.isEnabled)
            continue;
        if (rule.bundleID != "*" && !detail::canonicalEquals(UrlMatcherText(rule.bundleID), app))
            continue;
        if (hasUrlCondition(rule) && !url)
            continue;
        candidates.push_back({&rule, specificity(rule)});
    }

    // Testing in rank order (stable, so ties keep list order) makes the first rule whose
    // URL condition holds the answer, and spares the URL tests of rules that could not win.
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.specificity > b.specificity; });
    std::optional<PreparedUrl> preparedUrl;
    if (url)
        preparedUrl.emplace(*url);
    for (const Candidate& candidate : candidates) {
        const Rule& rule = *candidate.rule;
        if (!hasUrlCondition(rule) ||
            matchesPrepared(*preparedUrl, *rule.urlPattern, rule.urlMatchMode))
            return rule;
    }
    return std::nullopt;
}

} // namespace ondrel::rules
