#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ondrel::rules {

enum class SolidusStyle
{
    escaped,
    plain
};

/// Length of the well-formed UTF-8 sequence that starts at text[pos], or 0 if it is not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t pos);
/// Appends text as a JSON string; ill-formed UTF-8 becomes U+FFFD so the output always reads back.
void appendJsonString(std::string& out, std::string_view text, SolidusStyle solidus);
/// A JSON-quoted, shortened copy of text for one-line error messages.
std::string quotedForMessage(std::string_view text);
/// text with control characters and ill-formed UTF-8 escaped, so it prints as one line.
std::string singleLine(std::string_view text);

} // namespace ondrel::rules
