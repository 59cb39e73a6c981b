#include "RtfReader.h"

#include "rules/HexDigit.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace ondrel::paste {

namespace {

// Destinations whose contents are not body text. Starred destinations ({\*\name ...}) are
// skipped whatever their name, so only the unstarred ones need listing.
constexpr std::string_view skippedDestinations[] = {
    "author",       "buptim",
    "colortbl",     "comment",
    "creatim",      "datastore",
    "doccomm",      "fldinst",
    "filetbl",      "fonttbl",
    "footer",       "footerf",
    "footerl",      "footerr",
    "footnote",     "ftncn",
    "ftnsep",       "ftnsepc",
    "header",       "headerf",
    "headerl",      "headerr",
    "info",         "keywords",
    "listtable",    "listoverridetable",
    "nonshppict",   "object",
    "objdata",      "operator",
    "pict",         "pn",
    "printim",      "private",
    "revtbl",       "revtim",
    "rsidtbl",      "stylesheet",
    "subject",      "themedata",
    "title",        "txe",
    "xe",           "xmlnstbl",
    "latentstyles", "colorschememapping",
};

// Control words that stand for one character of text.
struct CharacterWord
{
    std::string_view name;
    char32_t character;
};

constexpr CharacterWord characterWords[] = {
    {"par", U'\n'},           {"line", U'\n'},        {"sect", U'\n'},
    {"page", U'\n'},          {"row", U'\n'},         {"nestrow", U'\n'},
    {"tab", U'\t'},           {"cell", U'\t'},        {"nestcell", U'\t'},
    {"emdash", U'\u2014'},    {"endash", U'\u2013'},  {"bullet", U'\u2022'},
    {"lquote", U'\u2018'},    {"rquote", U'\u2019'},  {"ldblquote", U'\u201C'},
    {"rdblquote", U'\u201D'}, {"emspace", U'\u2003'}, {"enspace", U'\u2002'},
    {"qmspace", U'\u2005'},   {"zwj", U'\u200D'},     {"zwnj", U'\u200C'},
    {"ltrmark", U'\u200E'},   {"rtlmark", U'\u200F'},
};

// The code page every RTF reader assumes when a document names none it can use.
constexpr int defaultCodePage = 1252;

// Longest control word name and parameter the format allows; longer runs are consumed but cut.
constexpr std::size_t maximumWordLength = 32;
constexpr int maximumParameterDigits = 10;

struct ConverterCloser
{
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr openCodePage(int codePage)
{
    if (codePage == 65001)
        return nullptr; // UTF-8: the bytes are already what the output needs
    const std::string number = std::to_string(codePage);
    for (const std::string& name : {"windows-" + number, "cp" + number, "ibm-" + number,
                                    codePage == 10000 ? std::string("macintosh") : std::string()}) {
        if (name.empty())
            continue;
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr converter(ucnv_open(name.c_str(), &status));
        if (U_SUCCESS(status) && converter)
            return converter;
    }
    return nullptr;
}

void appendCodePoint(std::string& out, UChar32 c)
{
    if (c == 0)
        return; // a NUL would end the text early for most receivers
    std::array<char, U8_MAX_LENGTH> buffer{};
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(buffer.data(), length, c);
    out.append(buffer.data(), static_cast<std::size_t>(length));
}

// Character formatting that survives into HTML, as bits.
enum Style : unsigned
{
    bold = 1,
    italic = 2,
    underline = 4,
};

struct GroupState
{
    int fallbackCount = 1; // \ucN: characters that follow \uN for readers without Unicode
    bool skipped = false;  // inside a destination that is not body text
    bool hidden = false;   // \v: hidden text
    unsigned style = 0;
};

// From `offset` in the text on, characters carry `style`.
struct StyleMark
{
    std::size_t offset;
    unsigned style;
};

struct Document
{
    std::string text;
    std::vector<StyleMark> marks;
};

class Parser
{
public:
    explicit Parser(std::string_view input) : m_in(input) { useCodePage(defaultCodePage); }

    std::optional<Document> run()
    {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            switch (c) {
            case '{':
                if (!openGroup())
                    return std::nullopt;
                break;
            case '}':
                if (!closeGroup())
                    return finish(); // the document's outermost group has ended
                break;
            case '\\':
                readControl();
                break;
            case '\r':
            case '\n':
                break; // line breaks in the source are not text
            case '\t':
                characterToken(U'\t');
                break;
            default:
                textByte(c);
                break;
            }
        }
        return finish(); // unbalanced braces at the end: keep what was read
    }

private:
    GroupState& state() { return m_groups.back(); }

    bool openGroup()
    {
        flushBytes();
        m_fallbackToSkip = 0;
        if (static_cast<int>(m_groups.size()) >= RtfReader::maximumNestingDepth)
            return false;
        m_groups.push_back(m_groups.empty() ? GroupState{} : state());
        return true;
    }

    // False when the outermost group closed.
    bool closeGroup()
    {
        flushBytes();
        m_fallbackToSkip = 0;
        if (!m_groups.empty())
            m_groups.pop_back();
        if (m_groups.empty())
            return false;
        markStyle();
        return true;
    }

    Document finish()
    {
        flushBytes();
        flushSurrogate();
        return {std::move(m_out), std::move(m_marks)};
    }

    // Text from here on is written in the current group's style.
    void markStyle()
    {
        const unsigned style = state().style;
        if (!m_marks.empty() && m_marks.back().offset == m_out.size())
            m_marks.back().style = style;
        else if ((m_marks.empty() ? 0U : m_marks.back().style) != style)
            m_marks.push_back({m_out.size(), style});
    }

    // \b, \i, \ul and their switches: on without a parameter, off with 0.
    bool styleWord(std::string_view word, std::optional<long long> parameter)
    {
        unsigned bit = 0;
        bool on = parameter.value_or(1) != 0;
        if (word == "b")
            bit = bold;
        else if (word == "i")
            bit = italic;
        else if (word == "ul")
            bit = underline;
        else if (word == "ulnone")
            bit = underline, on = false;
        else if (word != "plain")
            return false;
        flushBytes();
        flushSurrogate();
        unsigned& style = state().style;
        style = word == "plain" ? 0U : on ? (style | bit) : (style & ~bit);
        markStyle();
        return true;
    }

    bool emitting() { return !m_groups.empty() && !state().skipped && !state().hidden; }

    // One fallback character after \uN is dropped instead of read; true when this one was.
    bool consumedAsFallback()
    {
        if (m_fallbackToSkip == 0)
            return false;
        --m_fallbackToSkip;
        return true;
    }

    void readControl()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (isLetter(c)) {
            readControlWord();
            return;
        }
        ++m_pos;
        if (c == '\'') {
            readHexByte();
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            textByte(c);
            break;
        case '~':
            characterToken(U'\u00A0');
            break;
        case '_':
            characterToken(U'\u2011');
            break;
        case '*':
            if (!consumedAsFallback() && !m_groups.empty())
                state().skipped = true; // an optional destination this reader does not know
            break;
        case '\r':
        case '\n':
            characterToken(U'\n');
            break;
        default:
            consumedAsFallback(); // \- (optional hyphen), \| and \: have no text of their own
            break;
        }
    }

    void readHexByte()
    {
        int value = 0;
        for (int i = 0; i < 2; ++i) {
            const int digit = m_pos < m_in.size() ? rules::hexDigitValue(m_in[m_pos]) : -1;
            if (digit < 0)
                return; // malformed escape: nothing to read
            value = value * 16 + digit;
            ++m_pos;
        }
        if (consumedAsFallback() || !emitting())
            return;
        flushSurrogate();
        m_pendingBytes.push_back(static_cast<char>(value));
    }

    void readControlWord()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const std::string_view word =
            m_in.substr(start, std::min(m_pos - start, maximumWordLength));

        std::optional<long long> parameter;
        bool negative = false;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && isDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        int digits = 0;
        long long value = 0;
        while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
            if (digits++ < maximumParameterDigits)
                value = value * 10 + (m_in[m_pos] - '0');
            ++m_pos;
        }
        if (digits > 0)
            parameter = negative ? -value : value;
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos; // the delimiting space belongs to the control word

        if (word == "bin") {
            // Binary data follows: never text, and it may hold any byte, braces included.
            const long long length = std::max(0LL, parameter.value_or(0));
            m_pos += static_cast<std::size_t>(
                std::min<long long>(length, static_cast<long long>(m_in.size() - m_pos)));
            return;
        }
        if (consumedAsFallback())
            return;
        controlWord(word, parameter);
    }

    void controlWord(std::string_view word, std::optional<long long> parameter)
    {
        if (m_groups.empty())
            return;
        if (word == "u" && parameter) {
            unicodeCharacter(*parameter);
            return;
        }
        if (word == "uc") {
            state().fallbackCount = static_cast<int>(std::clamp(parameter.value_or(1), 0LL, 255LL));
            return;
        }
        if (word == "v") {
            state().hidden = parameter.value_or(1) != 0;
            return;
        }
        if (styleWord(word, parameter))
            return;
        if (word == "ansicpg" && parameter) {
            useCodePage(static_cast<int>(std::clamp(*parameter, 0LL, 100000LL)));
            return;
        }
        if (word == "ansi" || word == "mac" || word == "pc" || word == "pca") {
            useCodePage(word == "ansi" ? 1252 : word == "mac" ? 10000 : word == "pc" ? 437 : 850);
            return;
        }
        if (std::find(std::begin(skippedDestinations), std::end(skippedDestinations), word) !=
            std::end(skippedDestinations)) {
            state().skipped = true;
            return;
        }
        for (const CharacterWord& entry : characterWords) {
            if (entry.name == word) {
                characterToken(entry.character);
                return;
            }
        }
    }

    void unicodeCharacter(long long parameter)
    {
        m_fallbackToSkip = state().fallbackCount;
        // The parameter is a signed 16-bit value; negative ones stand for the upper half.
        if (parameter < -32768 || parameter > 65535)
            return;
        const auto unit = static_cast<char16_t>(static_cast<std::uint16_t>(parameter));
        if (!emitting())
            return;
        flushBytes();
        if (U16_IS_LEAD(unit)) {
            flushSurrogate();
            m_highSurrogate = unit;
            return;
        }
        if (U16_IS_TRAIL(unit)) {
            if (m_highSurrogate != 0) {
                appendCodePoint(m_out, U16_GET_SUPPLEMENTARY(m_highSurrogate, unit));
                m_highSurrogate = 0;
            } else {
                appendCodePoint(m_out, 0xFFFD);
            }
            return;
        }
        flushSurrogate();
        appendCodePoint(m_out, unit);
    }

    void characterToken(char32_t c)
    {
        if (consumedAsFallback() || !emitting())
            return;
        flushBytes();
        flushSurrogate();
        appendCodePoint(m_out, static_cast<UChar32>(c));
    }

    // A byte of the document's text: ASCII as it is; other bytes are UTF-8 when they form a
    // valid sequence (the content is edited as UTF-8 text), else a byte of the code page.
    void textByte(char c)
    {
        std::size_t length = 1;
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const std::size_t start = m_pos - 1;
            std::int32_t index = static_cast<std::int32_t>(start);
            const auto size = static_cast<std::int32_t>(
                std::min<std::size_t>(m_in.size(), start + U8_MAX_LENGTH));
            UChar32 decoded = 0;
            U8_NEXT(m_in.data(), index, size, decoded);
            if (decoded >= 0)
                length = static_cast<std::size_t>(index) - start;
        }
        if (consumedAsFallback()) {
            m_pos += length - 1;
            return;
        }
        if (!emitting()) {
            m_pos += length - 1;
            return;
        }
        flushSurrogate();
        if (byte < 0x80) {
            flushBytes();
            m_out.push_back(c);
        } else if (length > 1) {
            flushBytes();
            m_out.append(m_in.substr(m_pos - 1, length));
            m_pos += length - 1;
        } else {
            m_pendingBytes.push_back(c);
        }
    }

    // Decodes the run of code-page bytes read so far; a run keeps double-byte pairs together.
    void flushBytes()
    {
        if (m_pendingBytes.empty())
            return;
        if (!m_converter) {
            appendUtf8OrReplacement(m_pendingBytes);
        } else {
            UErrorCode status = U_ZERO_ERROR;
            std::u16string units(m_pendingBytes.size() * 2 + 4, u'\0');
            const std::int32_t length = ucnv_toUChars(
                m_converter.get(), units.data(), static_cast<std::int32_t>(units.size()),
                m_pendingBytes.data(), static_cast<std::int32_t>(m_pendingBytes.size()), &status);
            if (U_SUCCESS(status)) {
                std::int32_t i = 0;
                while (i < length) {
                    UChar32 c = 0;
                    U16_NEXT(units.data(), i, length, c);
                    appendCodePoint(m_out, U_IS_SURROGATE(c) || c == 0x1A ? 0xFFFD : c);
                }
            } else {
                appendCodePoint(m_out, 0xFFFD);
            }
        }
        m_pendingBytes.clear();
    }

    void appendUtf8OrReplacement(std::string_view bytes)
    {
        std::int32_t i = 0;
        const auto length = static_cast<std::int32_t>(bytes.size());
        while (i < length) {
            UChar32 c = 0;
            U8_NEXT(bytes.data(), i, length, c);
            appendCodePoint(m_out, c < 0 ? 0xFFFD : c);
        }
    }

    void flushSurrogate()
    {
        if (m_highSurrogate != 0) {
            appendCodePoint(m_out, 0xFFFD);
            m_highSurrogate = 0;
        }
    }

    void useCodePage(int codePage)
    {
        flushBytes();
        ConverterPtr converter = openCodePage(codePage);
        if (converter || codePage == 65001)
            m_converter = std::move(converter);
        else if (!m_converter)
            m_converter = openCodePage(defaultCodePage);
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view m_in;
    std::size_t m_pos = 0;
    std::vector<GroupState> m_groups;
    std::string m_out;
    std::vector<StyleMark> m_marks;
    std::string m_pendingBytes;
    ConverterPtr m_converter;
    int m_fallbackToSkip = 0;
    char16_t m_highSurrogate = 0;
};

std::optional<Document> read(std::string_view rtf)
{
    const std::size_t start = rtf.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || rtf.substr(start, 5) != "{\\rtf")
        return std::nullopt;
    Parser parser(rtf.substr(start));
    return parser.run();
}

void appendEscaped(std::string& html, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\n':
            html += "<br>";
            break;
        default:
            html.push_back(c);
            break;
        }
    }
}

void appendStyled(std::string& html, std::string_view text, unsigned style)
{
    if (text.empty())
        return;
    constexpr std::pair<unsigned, std::string_view> tags[] = {
        {bold, "b"}, {italic, "i"}, {underline, "u"}};
    for (const auto& [bit, tag] : tags)
        if (style & bit)
            html.append("<").append(tag).append(">");
    appendEscaped(html, text);
    for (auto it = std::rbegin(tags); it != std::rend(tags); ++it)
        if (style & it->first)
            html.append("</").append(it->second).append(">");
}

} // namespace

std::optional<std::string> RtfReader::plainText(std::string_view rtf)
{
    std::optional<Document> document = read(rtf);
    if (!document)
        return std::nullopt;
    return std::move(document->text);
}

std::optional<std::string> RtfReader::html(std::string_view rtf)
{
    const std::optional<Document> document = read(rtf);
    if (!document)
        return std::nullopt;
    // Receivers guess the encoding of HTML on the clipboard unless it is named.
    std::string html = "<meta charset=\"utf-8\">";
    std::size_t from = 0;
    unsigned style = 0;
    for (const StyleMark& mark : document->marks) {
        appendStyled(html, std::string_view(document->text).substr(from, mark.offset - from),
                     style);
        from = mark.offset;
        style = mark.style;
    }
    appendStyled(html, std::string_view(document->text).substr(from), style);
    return html;
}

} // namespace ondrel::paste
