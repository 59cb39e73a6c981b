#include "UrlMatcherRegex.h"

#include "UrlMatcherCache.h"
#include "UrlMatcherText.h"

#include <unicode/regex.h>

#include <memory>

namespace ondrel::rules::detail {

namespace {

// A compiled pattern and a matcher ready to be reset onto the next text. A pattern
// that does not compile is kept too (without a matcher), so it is not recompiled
// on every press just to fail again.
struct CompiledRegex
{
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
};

CompiledRegex compile(std::string_view source)
{
    CompiledRegex compiled;
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    UrlMatcherText text(source);
    compiled.pattern.reset(icu::RegexPattern::compile(text.unicode(), 0, parseError, status));
    if (U_FAILURE(status) || !compiled.pattern) {
        compiled.pattern.reset();
        return compiled;
    }
    compiled.matcher.reset(compiled.pattern->matcher(status));
    if (U_SUCCESS(status) && compiled.matcher) {
        compiled.matcher->setTimeLimit(regexWorkLimit, status);
        compiled.matcher->setStackLimit(regexStackLimitBytes, status);
    }
    if (U_FAILURE(status) || !compiled.matcher) {
        compiled.matcher.reset();
        compiled.pattern.reset();
    }
    return compiled;
}

// Compiled patterns by source, one cache per thread (ICU matchers hold per-match
// state). A cached pattern answers exactly like one compiled afresh; only time differs.
icu::RegexMatcher* matcherFor(std::string_view source)
{
    thread_local UrlMatcherCache<CompiledRegex> cache(2048);
    return cache.get(source, compile).matcher.get();
}

} // namespace

bool regexFinds(std::string_view pattern, const icu::UnicodeString& text)
{
    icu::RegexMatcher* matcher = matcherFor(pattern);
    if (!matcher)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    // reset() also restarts the work counter, so the bound applies per evaluation.
    matcher->reset(text);
    const bool found = matcher->find(status);
    // Let go of the caller's text: the matcher outlives this call inside the cache.
    static const icu::UnicodeString nothing;
    matcher->reset(nothing);
    return U_SUCCESS(status) && found;
}

} // namespace ondrel::rules::detail
