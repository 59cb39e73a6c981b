#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ondrel::paste {

// Reads the plain characters of an RTF document, the way a word processor would show them:
// formatting is dropped, destinations that are not body text (font and colour tables, style
// sheets, document information, pictures, field instructions...) are skipped, and characters
// given as \uN or \'hh are decoded. Never throws; hostile input gives a result or none.
class RtfReader
{
public:
    /// Groups nested deeper than this make the input count as not an RTF document.
    static constexpr int maximumNestingDepth = 1000;

    /// The document's plain text in UTF-8, or none when rtf is not an RTF document.
    static std::optional<std::string> plainText(std::string_view rtf);
    /// The same text as an HTML fragment in UTF-8 that keeps bold, italic and underline, for
    /// receivers that read formatted text only as HTML (browsers); none when not RTF.
    static std::optional<std::string> html(std::string_view rtf);
};

} // namespace ondrel::paste
