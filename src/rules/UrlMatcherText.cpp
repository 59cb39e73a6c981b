#include "UrlMatcherText.h"

#include "UrlMatcherCache.h"

#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/stsearch.h>
#include <unicode/tblcoll.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

namespace ondrel::rules::detail {

namespace {

bool isAsciiText(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

icu::UnicodeString decodeEscaped(std::string_view bytes)
{
    icu::UnicodeString out;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // A window of at most four bytes keeps ICU's int32 indices safe for any input size.
        const auto window = static_cast<std::int32_t>(std::min<std::size_t>(bytes.size() - pos, 4));
        std::int32_t used = 0;
        UChar32 c = 0;
        U8_NEXT(data + pos, used, window, c);
        if (c < 0) {
            out.append(static_cast<char16_t>(0xDC00 + data[pos]));
            pos += 1;
        } else {
            out.append(c);
            pos += static_cast<std::size_t>(used);
        }
    }
    return out;
}

bool isGraphemeBoundary(const icu::UnicodeString& text, std::int32_t offset)
{
    if (offset <= 0 || offset >= text.length())
        return true;
    thread_local std::unique_ptr<icu::BreakIterator> characters = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    if (!characters)
        return true;
    characters->setText(text);
    return characters->isBoundary(offset);
}

const icu::UnicodeString& placeholderText()
{
    static const icu::UnicodeString text(u' ');
    return text;
}

// The C and POSIX locales reach ICU as en_US_POSIX, whose collation gives capitals
// their own primary weights: a search there would no longer ignore case. The POSIX
// variant only means "no locale chosen", so the language's ordinary collation applies.
icu::Locale searchLocale()
{
    const icu::Locale& current = icu::Locale::getDefault();
    if (std::string_view(current.getVariant()) == "POSIX")
        return icu::Locale(current.getLanguage(), current.getCountry());
    return current;
}

// Prepared searches by pattern under the current locale's collator, per thread. A
// collator, and a search for a pattern, cost far more to build than one search costs
// to run, so both are kept; a change of the default locale starts afresh.
class ContainsSearches
{
public:
    icu::StringSearch* searchFor(const UrlMatcherText& pattern)
    {
        const icu::Locale locale = searchLocale();
        if (!m_collator || m_localeName != locale.getName()) {
            m_searches.clear(); // they point at the collator being replaced
            m_collator = makeCollator(locale);
            m_localeName = locale.getName();
        }
        if (!m_collator)
            return nullptr;
        auto& search = m_searches.get(
            pattern.bytes(), [&](std::string_view) { return makeSearch(pattern.unicode()); });
        return search.get();
    }

private:
    static std::unique_ptr<icu::RuleBasedCollator> makeCollator(const icu::Locale& locale)
    {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
        auto* ruleBased = dynamic_cast<icu::RuleBasedCollator*>(collator.get());
        if (U_FAILURE(status) || !ruleBased)
            return nullptr;
        collator.release();
        std::unique_ptr<icu::RuleBasedCollator> result(ruleBased);
        result->setStrength(icu::Collator::PRIMARY);
        result->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
        return result;
    }

    std::unique_ptr<icu::StringSearch> makeSearch(const icu::UnicodeString& pattern)
    {
        UErrorCode status = U_ZERO_ERROR;
        // ICU wants some text to begin with; the real one is set for every search.
        auto search = std::make_unique<icu::StringSearch>(pattern, placeholderText(),
                                                          m_collator.get(), nullptr, status);
        return U_SUCCESS(status) ? std::move(search) : nullptr;
    }

    std::string m_localeName;
    std::unique_ptr<icu::RuleBasedCollator> m_collator;
    // Declared after the collator, so the searches that use it go first.
    UrlMatcherCache<std::unique_ptr<icu::StringSearch>> m_searches{1024};
};

} // namespace

UrlMatcherText::UrlMatcherText(std::string_view utf8) : m_bytes(utf8), m_isAscii(isAsciiText(utf8))
{}

const icu::UnicodeString& UrlMatcherText::unicode() const
{
    if (!m_unicode)
        m_unicode = decodeEscaped(m_bytes);
    return *m_unicode;
}

const icu::UnicodeString& UrlMatcherText::nfc() const
{
    if (!m_nfc) {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
        if (U_SUCCESS(status)) {
            icu::UnicodeString normalized = normalizer->normalize(unicode(), status);
            if (U_SUCCESS(status))
                m_nfc = std::move(normalized);
        }
        if (!m_nfc)
            m_nfc = unicode();
    }
    return *m_nfc;
}

bool canonicalEquals(const UrlMatcherText& a, const UrlMatcherText& b)
{
    if (a.isAscii() && b.isAscii())
        return a.bytes() == b.bytes();
    return a.nfc() == b.nfc();
}

bool canonicalHasPrefix(const UrlMatcherText& text, const UrlMatcherText& prefix)
{
    if (text.isAscii() && prefix.isAscii())
        return text.bytes().starts_with(prefix.bytes());
    const icu::UnicodeString& t = text.nfc();
    const icu::UnicodeString& p = prefix.nfc();
    return t.startsWith(p) && isGraphemeBoundary(t, p.length());
}

bool canonicalHasSuffix(const UrlMatcherText& text, const UrlMatcherText& suffix)
{
    if (text.isAscii() && suffix.isAscii())
        return text.bytes().ends_with(suffix.bytes());
    const icu::UnicodeString& t = text.nfc();
    const icu::UnicodeString& s = suffix.nfc();
    return t.endsWith(s) && isGraphemeBoundary(t, t.length() - s.length());
}

bool localizedStandardContains(const UrlMatcherText& text, const UrlMatcherText& pattern)
{
    // Like Foundation, an empty needle is found nowhere.
    if (pattern.bytes().empty() || text.bytes().empty())
        return false;
    thread_local ContainsSearches searches;
    icu::StringSearch* search = searches.searchFor(pattern);
    if (!search)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    search->setText(text.unicode(), status);
    const std::int32_t found = U_SUCCESS(status) ? search->first(status) : USEARCH_DONE;
    // The search outlives this call inside the cache: keep no copy of a long URL there.
    UErrorCode ignored = U_ZERO_ERROR;
    search->setText(placeholderText(), ignored);
    return U_SUCCESS(status) && found != USEARCH_DONE;
}

} // namespace ondrel::rules::detail
