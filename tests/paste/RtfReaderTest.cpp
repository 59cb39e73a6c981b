#include "paste/RtfReader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using ondrel::paste::RtfReader;

namespace {

struct RtfCase
{
    const char* name;
    std::string rtf;
    std::optional<std::string> text;
};

class RtfReaderTable : public testing::TestWithParam<RtfCase>
{};

TEST_P(RtfReaderTable, ReadsPlainText)
{
    EXPECT_EQ(RtfReader::plainText(GetParam().rtf), GetParam().text);
}

const std::string textEditDocument = R"({\rtf1\ansi\ansicpg1252\cocoartf2709
\cocoatextscaling0\cocoaplatform0{\fonttbl\f0\fswiss\fcharset0 Helvetica;\f1\fnil Menlo;}
{\colortbl;\red255\green255\blue255;\red0\green0\blue0;}
{\*\expandedcolortbl;;\cssrgb\c0\c0\c0;}
\paperw11900\paperh16840\margl1440\margr1440\vieww11520\viewh8400\viewkind0
\pard\tx566\tx1133\pardirnatural\partightenfactor0

\f0\b\fs24 \cf0 Dear customer,\
\b0 thank you for your \i order\i0 .\
Kind regards}
)";

INSTANTIATE_TEST_SUITE_P(
    Documents, RtfReaderTable,
    testing::Values(
        RtfCase{"macOS TextEdit", textEditDocument,
                "Dear customer,\nthank you for your order.\nKind regards"},
        RtfCase{"word-processor tables skipped",
                R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red1\green2\blue3;})"
                R"({\stylesheet{\s1 Heading;}}{\info{\title T}{\author A}})"
                R"({\*\generator Writer;}{\header H}{\footer F}{\pict\pngblip 89504e47}Body})",
                "Body"},
        RtfCase{"breaks and tabs", R"({\rtf1 a\par b\line c\tab d	e\
f})",
                "a\nb\nc\td\te\nf"},
        RtfCase{"source line breaks are not text", "{\\rtf1 a\r\nb\nc}", "abc"},
        RtfCase{"control symbols", R"({\rtf1 \\ \{x\} a\~b c\_d e\-f})",
                "\\ {x} a\u00A0b c\u2011d ef"},
        RtfCase{"hex without a code page is windows-1252", R"({\rtf1 na\'efve})", "na\u00efve"},
        RtfCase{"hex in windows-1251", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2})",
                "\u041f\u0440\u0438\u0432\u0435\u0442"},
        RtfCase{"hex in Mac Roman", R"({\rtf1\mac caf\'8e})", "caf\u00e9"},
        RtfCase{"hex in code page 437", R"({\rtf1\pc caf\'82})", "caf\u00e9"},
        RtfCase{"double-byte code page keeps pairs", R"({\rtf1\ansi\ansicpg932 \'82\'a0\'82\'a2})",
                "\u3042\u3044"},
        RtfCase{"unknown code page falls back to windows-1252",
                R"({\rtf1\ansi\ansicpg99999 caf\'e9})", "caf\u00e9"},
        RtfCase{"utf-8 code page", R"({\rtf1\ansi\ansicpg65001 caf\'c3\'a9})", "caf\u00e9"},
        RtfCase{"unicode with one fallback", R"({\rtf1 \u8364?5})", "\u20ac5"},
        RtfCase{"unicode with hex fallback", R"({\rtf1 \u233\'e9t\u233\'e9})", "\u00e9t\u00e9"},
        RtfCase{"fallback count from uc", R"({\rtf1\uc2 \u8364 EUR!})", "\u20acR!"},
        RtfCase{"fallback count is scoped to its group", R"({\rtf1{\uc3 \u8364 abcd}\u8364 ef})",
                "\u20acd\u20acf"},
        RtfCase{"fallback stops at a group boundary", R"({\rtf1\uc4 \u8364 a{b}})", "\u20acb"},
        RtfCase{"fallback counts a control word as one", R"({\rtf1\uc1 \u8364\par x})", "\u20acx"},
        RtfCase{"negative unicode parameter", R"({\rtf1 \u-3913?})", "\uf0b7"},
        RtfCase{"surrogate pair", R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600"},
        RtfCase{"lone surrogates are replaced", R"({\rtf1 \u-10179?x\u-8704?})", "\uFFFDx\uFFFD"},
        RtfCase{"literal utf-8 passes through", "{\\rtf1 caf\u00e9 \u65e5\u672c}",
                "caf\u00e9 \u65e5\u672c"},
        RtfCase{"fallback skips a whole utf-8 character", "{\\rtf1 \\u233 \u00e9!}", "\u00e9!"},
        RtfCase{"invalid literal bytes are read in the code page", "{\\rtf1 caf\xe9}", "caf\u00e9"},
        RtfCase{
            "field keeps its result only",
            R"({\rtf1 see {\field{\*\fldinst{HYPERLINK "https://example.com"}}{\fldrslt here}}.})",
            "see here."},
        RtfCase{"list text is kept", R"({\rtf1{\listtext\tab\uc0\u8226 \tab}Item})",
                "\t\u2022\tItem"},
        RtfCase{"hidden text", R"({\rtf1 a{\v secret}b\v c\v0 d})", "abd"},
        RtfCase{"unknown starred destination", R"({\rtf1 a{\*\unknownthing b{c}}d})", "ad"},
        RtfCase{"unknown control words are dropped", R"({\rtf1\fooBar12 a\baz-3 b})", "ab"},
        RtfCase{"binary data skipped byte for byte", R"({\rtf1 a\bin4 }{\{b})", "ab"},
        RtfCase{"text after the document is ignored", R"({\rtf1 abc}def)", "abc"},
        RtfCase{"missing closing braces keep the text", R"({\rtf1 abc{\b def)", "abcdef"},
        RtfCase{"leading whitespace is allowed", " \n{\\rtf1 x}", "x"},
        RtfCase{"nul characters are dropped", R"({\rtf1 a\u0 b})", "a"},
        RtfCase{"malformed escapes at the end", "{\\rtf1 a\\'4", "a"},
        RtfCase{"huge parameters",
                R"({\rtf1\uc99999999999999 \u99999999999999 x\bin99999999999999 y})", ""},
        RtfCase{"plain text is not rtf", "Hello", std::nullopt},
        RtfCase{"prefix is case-sensitive", "{\\RTF1 a}", std::nullopt}),
    [](const testing::TestParamInfo<RtfCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

struct HtmlCase
{
    const char* name;
    std::string rtf;
    std::optional<std::string> html;
};

class RtfHtmlTable : public testing::TestWithParam<HtmlCase>
{};

TEST_P(RtfHtmlTable, KeepsCharacterFormatting)
{
    EXPECT_EQ(RtfReader::html(GetParam().rtf), GetParam().html);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, RtfHtmlTable,
    testing::Values(
        HtmlCase{"switches", textEditDocument,
                 "<meta charset=\"utf-8\"><b>Dear customer,<br></b>thank you for your "
                 "<i>order</i>.<br>Kind regards"},
        HtmlCase{
            "groups_plain_and_markup_characters",
            R"({\rtf1 {\b\i a<b} {\ul u&\ulnone n}\b x\plain "y"})",
            "<meta charset=\"utf-8\"><b><i>a&lt;b</i></b> <u>u&amp;</u>n<b>x</b>&quot;y&quot;"},
        HtmlCase{"code_page_byte_before_switch", R"({\rtf1\ansi\b caf\'e9\b0 !})",
                 "<meta charset=\"utf-8\"><b>caf\u00e9</b>!"}),
    [](const testing::TestParamInfo<HtmlCase>& info) { return std::string(info.param.name); });

TEST(RtfReader, NestingUpToTheBoundIsReadAndBeyondItRejected)
{
    const int depth = RtfReader::maximumNestingDepth - 1;
    const std::string rtf =
        "{\\rtf1" + std::string(depth - 1, '{') + "deep" + std::string(depth - 1, '}') + "}";
    EXPECT_EQ(RtfReader::plainText(rtf), "deep");
    EXPECT_EQ(RtfReader::plainText("{\\rtf1" + std::string(200000, '{') + "x"), std::nullopt);
}

} // namespace
