#include "rules/RuleMatching.h"

#include <gtest/gtest.h>

#include <unicode/locid.h>

#include <string>
#include <thread>
#include <vector>

namespace ondrel::rules {
namespace {

Rule makeRule(std::string name, std::string bundleID, std::optional<std::string> pattern = {},
              URLMatchMode mode = URLMatchMode::domain)
{
    Rule rule;
    rule.name = std::move(name);
    rule.bundleID = std::move(bundleID);
    rule.urlPattern = std::move(pattern);
    rule.urlMatchMode = mode;
    return rule;
}

std::string nameOf(const std::optional<Rule>& rule)
{
    return rule ? rule->name : "<none>";
}

// ---------------------------------------------------------------- findMatchingRule

const std::string kUrl = "https://docs.example.com/guide/intro?lang=en";

TEST(FindMatchingRuleTest, RanksBySpecificityAcrossTheWholeLadder)
{
    // Listed weakest first, so list order never decides; a disabled rule never matches.
    Rule disabled = makeRule("disabled", "firefox-esr", kUrl, URLMatchMode::exact);
    disabled.isEnabled = false;
    std::vector<Rule> rules = {
        makeRule("any app, no url", "*"),
        makeRule("any app, exact url", "*", kUrl, URLMatchMode::exact),
        makeRule("app only", "firefox-esr"),
        makeRule("contains", "firefox-esr", "Guide", URLMatchMode::contains),
        makeRule("wildcard", "firefox-esr", "*example.com/guide*", URLMatchMode::wildcard),
        makeRule("domain", "firefox-esr", "example.com", URLMatchMode::domain),
        makeRule("regex", "firefox-esr", "guide/\\w+", URLMatchMode::regex),
        makeRule("prefix", "firefox-esr", "https://docs.example.com/", URLMatchMode::prefix),
        makeRule("exact", "firefox-esr", kUrl, URLMatchMode::exact),
        disabled,
    };
    const std::vector<std::string> expectedOrder = {
        "exact",          "regex",    "prefix",   "wildcard",
        "domain",         "contains", "app only", "any app, exact url",
        "any app, no url"};
    // Remove the winner each time: the next one must follow the ladder (ties to the earlier).
    for (const std::string& expected : expectedOrder) {
        const auto found = findMatchingRule(rules, "firefox-esr", kUrl);
        ASSERT_EQ(nameOf(found), expected);
        std::erase_if(rules, [&](const Rule& r) { return r.name == expected; });
    }
    EXPECT_FALSE(findMatchingRule(rules, "firefox-esr", kUrl));
}

TEST(FindMatchingRuleTest, TieGoesToEarlierRuleWhateverTheOtherFields)
{
    Rule first = makeRule("first", "*", "example.com", URLMatchMode::domain);
    Rule second = makeRule("second", "*", "*example*", URLMatchMode::wildcard);
    second.lastUsedAt = std::chrono::system_clock::now();
    second.createdAt = first.createdAt - std::chrono::hours(24 * 365);
    EXPECT_EQ(nameOf(findMatchingRule(std::vector{first, second}, "x", kUrl)), "first");
    EXPECT_EQ(nameOf(findMatchingRule(std::vector{second, first}, "x", kUrl)), "second");
}

// Without a URL every rule with a pattern is skipped; an empty pattern is no URL condition.
TEST(FindMatchingRuleTest, WithoutUrlOnlyRulesWithoutPatternMatch)
{
    std::vector<Rule> rules = {
        makeRule("regex anything", "*", ".*", URLMatchMode::regex),
        makeRule("contains", "*", "h", URLMatchMode::contains),
        makeRule("glob", "*", "*", URLMatchMode::wildcard),
    };
    EXPECT_FALSE(findMatchingRule(rules, "xterm", std::nullopt));
    EXPECT_EQ(nameOf(findMatchingRule(rules, "xterm", "https://a")), "regex anything");
    rules = {makeRule("empty regex", "*", std::string(), URLMatchMode::regex)};
    EXPECT_EQ(nameOf(findMatchingRule(rules, "x", std::nullopt)), "empty regex");
    EXPECT_EQ(nameOf(findMatchingRule(rules, "x", "not a url at all")), "empty regex");
}

TEST(FindMatchingRuleTest, ApplicationIsComparedExactly)
{
    const std::vector<Rule> rules = {makeRule("calc", "org.gnome.Calculator")};
    EXPECT_EQ(nameOf(findMatchingRule(rules, "org.gnome.Calculator", std::nullopt)), "calc");
    EXPECT_FALSE(findMatchingRule(rules, "org.gnome.calculator", std::nullopt));
    EXPECT_FALSE(findMatchingRule(rules, "org.gnome", std::nullopt));
    // Canonically equivalent identifiers are one application.
    const std::vector<Rule> accented = {makeRule("nfc", "org.caf\u00e9.App")};
    EXPECT_EQ(nameOf(findMatchingRule(accented, "org.cafe\u0301.App", std::nullopt)), "nfc");
}

// ---------------------------------------------------------------- matchesURL

struct UrlCase
{
    const char* label;
    URLMatchMode mode;
    std::string pattern;
    std::string url;
    bool expected;
};

std::ostream& operator<<(std::ostream& out, const UrlCase& c)
{
    return out << c.label;
}

// Sets ICU's default locale (which "contains" follows) for one test, then restores it.
class DefaultLocale
{
public:
    explicit DefaultLocale(const char* locale) { use(locale); }
    ~DefaultLocale() { set(m_saved); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

    void use(const char* locale) { set(icu::Locale(locale)); }

private:
    static void set(const icu::Locale& locale)
    {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(locale, status);
        ASSERT_TRUE(U_SUCCESS(status));
    }

    icu::Locale m_saved = icu::Locale::getDefault();
};

class MatchesUrlTest : public testing::TestWithParam<UrlCase>
{
    DefaultLocale m_locale{"en_US"};
};

TEST_P(MatchesUrlTest, Evaluates)
{
    const UrlCase& c = GetParam();
    EXPECT_EQ(matchesURL(c.url, c.pattern, c.mode), c.expected)
        << "pattern \"" << c.pattern << "\" url \"" << c.url << "\"";
}

using M = URLMatchMode;
// "café" precomposed and decomposed.
const std::string kCafeNfc = "caf\u00e9";
const std::string kCafeNfd = "cafe\u0301";

INSTANTIATE_TEST_SUITE_P(
    Exact, MatchesUrlTest,
    testing::Values(UrlCase{"same", M::exact, "https://a.com/x", "https://a.com/x", true},
                    UrlCase{"case", M::exact, "https://A.com/x", "https://a.com/x", false},
                    UrlCase{"nfd equals nfc", M::exact, "https://a.com/" + kCafeNfd,
                            "https://a.com/" + kCafeNfc, true},
                    UrlCase{"base letter is not accented letter", M::exact, "https://a.com/cafe",
                            "https://a.com/" + kCafeNfc, false}));

INSTANTIATE_TEST_SUITE_P(
    Prefix, MatchesUrlTest,
    testing::Values(UrlCase{"begins", M::prefix, "https://a.com/", "https://a.com/docs", true},
                    UrlCase{"middle", M::prefix, "a.com", "https://a.com/", false},
                    UrlCase{"nfc pattern nfd url", M::prefix, "https://" + kCafeNfc,
                            "https://" + kCafeNfd + ".fr/menu", true},
                    // The accent belongs to the character: "e" alone is not how the URL begins.
                    UrlCase{"base letter before accent", M::prefix, "https://cafe",
                            "https://" + kCafeNfd + ".fr", false}));

INSTANTIATE_TEST_SUITE_P(
    Contains, MatchesUrlTest,
    testing::Values(
        UrlCase{"capitals", M::contains, "GITHUB", "https://github.com/x", true},
        UrlCase{"diacritics ignored", M::contains, "CAFE", "https://" + kCafeNfc + ".fr", true},
        UrlCase{"absent", M::contains, "gitlab", "https://github.com/x", false},
        UrlCase{"empty pattern finds nothing", M::contains, "", "https://github.com", false}));

INSTANTIATE_TEST_SUITE_P(
    Wildcard, MatchesUrlTest,
    testing::Values(UrlCase{"star spans slashes", M::wildcard, "https://*/issues/*",
                            "https://github.com/a/b/issues/7", true},
                    UrlCase{"host alone is not the whole url", M::wildcard, "github.com",
                            "https://github.com/x", false},
                    UrlCase{"question mark is one multibyte character", M::wildcard,
                            "https://a.com/caf?", "https://a.com/" + kCafeNfc, true},
                    UrlCase{"leading dot is ordinary", M::wildcard, "*", ".hidden", true},
                    UrlCase{"url with NUL is never covered", M::wildcard, "https://a.com*",
                            std::string("https://a.com\0/x", 16), false}));

INSTANTIATE_TEST_SUITE_P(
    Regex, MatchesUrlTest,
    testing::Values(UrlCase{"fragment at start", M::regex, "https?://", "https://a.com/x", true},
                    UrlCase{"anchored start fails", M::regex, "^a\\.com", "https://a.com/x", false},
                    UrlCase{"case-sensitive", M::regex, "A\\.COM", "https://a.com", false},
                    UrlCase{"unbalanced parenthesis", M::regex, "(github", "https://github.com",
                            false}));

INSTANTIATE_TEST_SUITE_P(
    Domain, MatchesUrlTest,
    testing::Values(
        UrlCase{"subdomain", M::domain, "example.com", "https://a.b.example.com/", true},
        UrlCase{"other registered domain", M::domain, "example.com", "https://notexample.com/",
                false},
        UrlCase{"star dot matches the domain itself", M::domain, "*.example.com",
                "https://example.com", true},
        UrlCase{"url pattern counts by host", M::domain, "https://example.com/some/path",
                "http://www.example.com/other", true},
        UrlCase{"case-sensitive", M::domain, "Example.com", "https://example.com", false},
        UrlCase{"port, path and user ignored", M::domain, "example.com",
                "ftp://me@example.com:21/x/y?z", true},
        UrlCase{"decoded host under canonical equivalence", M::domain, kCafeNfc + ".fr",
                "https://cafe%CC%81.fr/", true},
        UrlCase{"not a url", M::domain, "example.com", "example.com", false},
        UrlCase{"empty host", M::domain, "example.com", "file:///example.com", false},
        UrlCase{"does not parse", M::domain, "example.com", "https://exa mple.com/", false},
        UrlCase{"bare star dot names nothing", M::domain, "*.", "https://example.com./", false},
        UrlCase{"ipv6 other spelling", M::domain, "0:0:0:0:0:0:0:1", "http://[::1]/", true},
        UrlCase{"ipv4 has nothing under it", M::domain, "0.0.1", "http://10.0.0.1/", false}));

// URLs as browsers report them, with characters RFC 3986 refuses after the host.
INSTANTIATE_TEST_SUITE_P(
    DomainAsBrowsersReport, MatchesUrlTest,
    testing::Values(
        UrlCase{"brackets in query", M::domain, "gitlab.com",
                "https://gitlab.com/x/-/issues?label_name[]=bug", true},
        UrlCase{"pipe caret braces backquote", M::domain, "google.com",
                "https://www.google.com/search?q=a|b^c{d}`e", true},
        UrlCase{"bare percent", M::domain, "example.com", "https://example.com/100%/off?x=5%",
                true},
        UrlCase{"second hash", M::domain, "example.com", "https://example.com/p#a#b", true},
        UrlCase{"display text path", M::domain, "wikipedia.org",
                "https://de.wikipedia.org/wiki/Z\u00fcrich Hbf", true},
        UrlCase{"non-ascii host", M::domain, "b\u00fccher.de", "https://b\u00fccher.de/", true},
        UrlCase{"pattern url with brackets", M::domain,
                "https://gitlab.com/x/-/issues?label_name[]=bug", "https://gitlab.com/", true},
        UrlCase{"raw at in password", M::domain, "example.com", "https://me:p@ss@example.com/",
                true},
        UrlCase{"user info naming another host", M::domain, "example.com",
                "https://example.com@evil.com/", false},
        UrlCase{"port not a number", M::domain, "example.com", "https://example.com:ab/", false},
        UrlCase{"bad address literal", M::domain, "::1", "http://[::g]/", false}));

INSTANTIATE_TEST_SUITE_P(
    MalformedUtf8, MatchesUrlTest,
    testing::Values(UrlCase{"malformed is not U+FFFD", M::exact, "https://a/\xef\xbf\xbd",
                            "https://a/\xff", false},
                    UrlCase{"prefix", M::prefix, "https://a/\xc3", "https://a/\xc3(", true},
                    UrlCase{"contains same byte", M::contains, "A/\xff", "https://a/\xff", true},
                    UrlCase{"regex", M::regex, "a/.$", "https://a/\xed\xa0\x80", false},
                    UrlCase{"domain pattern", M::domain, "\xff.com", "https://a.com/", false},
                    UrlCase{"domain decoded host", M::domain, "\xff.com", "https://%FF.com/",
                            true}));

// ---------------------------------------------------------------- regex bounds and cache

TEST(RegexBoundTest, CatastrophicBacktrackingCountsAsNoMatch)
{
    // Without a bound this takes longer than the age of the universe.
    const std::string url = std::string(40, 'a') + "!";
    EXPECT_FALSE(matchesURL(url, "^(a+)+$", URLMatchMode::regex));
    // The matcher is reused afterwards; the bound must not leak into the next evaluation.
    EXPECT_TRUE(matchesURL(std::string(40, 'a'), "^(a+)+$", URLMatchMode::regex));
}

TEST(RegexBoundTest, OrdinaryPatternsOnLongUrlsStillMatch)
{
    const std::string url = "https://example.com/?q=" + std::string(20000, 'x') + "&end=1";
    EXPECT_TRUE(matchesURL(url, "^https://[^/]+/\\?q=x+&end=\\d$", URLMatchMode::regex));
}

TEST(RegexCacheTest, ManyDistinctPatternsKeepTheirOwnResults)
{
    // More patterns than any cache keeps, visited twice: evicted and recompiled
    // entries must answer like fresh ones.
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 2500; ++i) {
            const std::string pattern = "^p" + std::to_string(i) + "$";
            ASSERT_TRUE(matchesURL("p" + std::to_string(i), pattern, URLMatchMode::regex)) << i;
            ASSERT_FALSE(matchesURL("p" + std::to_string(i + 1), pattern, URLMatchMode::regex));
        }
    }
}

TEST(RegexCacheTest, ConcurrentCallersGetIdenticalResults)
{
    auto work = [] {
        int matched = 0;
        for (int i = 0; i < 400; ++i) {
            const std::string id = std::to_string(i % 40);
            matched += matchesURL("https://a.com/" + id, "/" + id + "$", URLMatchMode::regex);
            matched += matchesURL("https://a.com/" + id, "/x" + id + "$", URLMatchMode::regex);
            matched += matchesURL("https://a.com/" + id, "A.COM", URLMatchMode::contains);
        }
        return matched;
    };
    int first = 0;
    int second = 0;
    std::thread other([&] { second = work(); });
    first = work();
    other.join();
    EXPECT_EQ(first, 800);
    EXPECT_EQ(second, 800);
}

// ---------------------------------------------------------------- locale of contains

TEST(ContainsLocaleTest, PosixLocaleStillIgnoresCase)
{
    // LANG=C or C.UTF-8 reaches ICU as en_US_POSIX, whose collation separates capitals.
    DefaultLocale locale("en_US_POSIX");
    EXPECT_TRUE(matchesURL("https://github.com", "GITHUB", URLMatchMode::contains));
    EXPECT_TRUE(matchesURL("https://caf\u00e9.fr", "CAFE", URLMatchMode::contains));
}

TEST(ContainsLocaleTest, FollowsTheUsersLocale)
{
    // Danish collation treats "aa" as "å"; Turkish keeps dotted and dotless i apart.
    DefaultLocale locale("da_DK");
    EXPECT_TRUE(matchesURL("https://\u00e5rhus.dk", "aarhus", URLMatchMode::contains));
    locale.use("en_US");
    EXPECT_FALSE(matchesURL("https://\u00e5rhus.dk", "aarhus", URLMatchMode::contains));
}

} // namespace
} // namespace ondrel::rules
