#pragma once

#include <unicode/unistr.h>

#include <optional>
#include <string_view>

namespace ondrel::rules::detail {

// One side of a text comparison in rule matching: the UTF-8 bytes as given, plus
// the UTF-16 and NFC forms, computed on first use and kept for the next rule.
//
// Bytes that are not valid UTF-8 are kept apart rather than collapsed into U+FFFD:
// each becomes the lone surrogate U+DC00 + byte, so two different malformed inputs
// never compare equal and no input can crash the ICU calls behind the matchers.
class UrlMatcherText
{
public:
    explicit UrlMatcherText(std::string_view utf8);

    std::string_view bytes() const { return m_bytes; }
    bool isAscii() const { return m_isAscii; }
    /// The text as UTF-16, malformed bytes escaped as described above.
    const icu::UnicodeString& unicode() const;
    /// The NFC form of unicode(): canonically equivalent texts have equal NFC forms.
    const icu::UnicodeString& nfc() const;

private:
    std::string_view m_bytes;
    bool m_isAscii;
    mutable std::optional<icu::UnicodeString> m_unicode;
    mutable std::optional<icu::UnicodeString> m_nfc;
};

/// Whether a and b are the same sequence of characters under canonical equivalence.
bool canonicalEquals(const UrlMatcherText& a, const UrlMatcherText& b);
/// Whether text begins with prefix, character for character (a base letter alone is
/// not a prefix of the same letter carrying an accent).
bool canonicalHasPrefix(const UrlMatcherText& text, const UrlMatcherText& prefix);
/// Whether text ends with suffix, character for character.
bool canonicalHasSuffix(const UrlMatcherText& text, const UrlMatcherText& suffix);
/// Whether pattern occurs in text ignoring case and diacritics, under the user's locale.
bool localizedStandardContains(const UrlMatcherText& text, const UrlMatcherText& pattern);

} // namespace ondrel::rules::detail
