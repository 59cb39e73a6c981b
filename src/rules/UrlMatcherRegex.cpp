#include "UrlMatcherRegex.h"

#include "UrlMatcherCache.h"
#include "UrlMatcherText.h"

#include <unicode/regex.h>

#include <memory>

namespace ondrel::rules::detail {

namespace {

// Compiled patterns by source, one cache per thread; a pattern that does not compile is
// kept as null, so it is not recompiled on every press just to fail again. A cached
// pattern answers exactly like one compiled afresh. Matchers are not kept: their
// backtracking stack keeps its high-water mark, up to the limit, for as long as they live.
const icu::RegexPattern* patternFor(std::string_view source)
{
    thread_local UrlMatcherCache<std::unique_ptr<icu::RegexPattern>> cache(2048);
    return cache
        .get(source,
             [](std::string_view text) {
                 UErrorCode status = U_ZERO_ERROR;
                 UParseError parseError{};
                 std::unique_ptr<icu::RegexPattern> pattern(icu::RegexPattern::compile(
                     UrlMatcherText(text).unicode(), 0, parseError, status));
                 return U_SUCCESS(status) ? std::move(pattern) : nullptr;
             })
        .get();
}

} // namespace

bool regexFinds(std::string_view pattern, const icu::UnicodeString& text)
{
    const icu::RegexPattern* compiled = patternFor(pattern);
    if (!compiled)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(text, status));
    if (U_FAILURE(status) || !matcher)
        return false;
    matcher->setTimeLimit(regexWorkLimit, status);
    matcher->setStackLimit(regexStackLimitBytes, status);
    const bool found = U_SUCCESS(status) && matcher->find(status);
    return U_SUCCESS(status) && found;
}

} // namespace ondrel::rules::detail
