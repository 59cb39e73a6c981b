#include "UrlMatcherRegex.h"

#include "UrlMatcherText.h"

#include <unicode/regex.h>

#include <list>
#include <memory>
#include <string>
#include <unordered_map>

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

// Least-recently-used cache of compiled patterns, one per thread: ICU matchers hold
// per-match state, so no cache entry is ever shared between threads. The result of
// a lookup is identical to compiling afresh; only the time differs.
class RegexCache
{
public:
    static constexpr std::size_t capacity = 2048;

    icu::RegexMatcher* matcherFor(std::string_view source)
    {
        auto found = m_index.find(std::string(source));
        if (found != m_index.end()) {
            m_entries.splice(m_entries.begin(), m_entries, found->second);
            return found->second->second.matcher.get();
        }
        if (m_entries.size() >= capacity) {
            m_index.erase(m_entries.back().first);
            m_entries.pop_back();
        }
        m_entries.emplace_front(std::string(source), compile(source));
        m_index.emplace(m_entries.front().first, m_entries.begin());
        return m_entries.front().second.matcher.get();
    }

private:
    using Entry = std::pair<std::string, CompiledRegex>;
    std::list<Entry> m_entries;
    std::unordered_map<std::string, std::list<Entry>::iterator> m_index;
};

RegexCache& cache()
{
    thread_local RegexCache perThread;
    return perThread;
}

} // namespace

bool regexFinds(std::string_view pattern, const icu::UnicodeString& text)
{
    icu::RegexMatcher* matcher = cache().matcherFor(pattern);
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
