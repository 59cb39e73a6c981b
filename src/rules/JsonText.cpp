#include "JsonText.h"

#include <cstdio>

namespace ondrel::rules {

namespace {

constexpr std::size_t messageTextLimit = 80;

void appendHexEscape(std::string& out, const char* format, unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

} // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t pos)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80)
        return 1;
    // Bounds of the second byte exclude overlong forms, surrogates and values above U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > text.size() || byteAt(pos + 1) < low || byteAt(pos + 1) > high)
        return 0;
    for (std::size_t i = pos + 2; i < pos + length; ++i) {
        if ((byteAt(i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

void appendJsonString(std::string& out, std::string_view text, SolidusStyle solidus)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8SequenceLength(text, i);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '/':
            out += solidus == SolidusStyle::escaped ? "\\/" : "/";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20)
                appendHexEscape(out, "\\u%04x", c);
            else
                out += static_cast<char>(c);
        }
        ++i;
    }
    out += '"';
}

std::string quotedForMessage(std::string_view text)
{
    std::size_t end = 0;
    while (end < text.size() && end < messageTextLimit) {
        const std::size_t length = utf8SequenceLength(text, end);
        end += length == 0 ? 1 : length;
    }
    std::string out;
    appendJsonString(out, text.substr(0, end), SolidusStyle::plain);
    if (end < text.size())
        out += "...";
    return out;
}

std::string singleLine(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0 || c < 0x20 || c == 0x7F) {
            appendHexEscape(out, "\\x%02X", c);
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

} // namespace ondrel::rules
