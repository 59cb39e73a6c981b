#include "rules/RulesFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <regex>
#include <string>

using namespace ondrel::rules;
using namespace std::chrono;
using ::testing::HasSubstr;

namespace {

TimePoint at(int y, unsigned mo, unsigned d, int h, int mi, int s)
{
    return sys_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi} + seconds{s};
}

Uuid uuid(std::string_view text)
{
    return Uuid::fromString(text).value();
}

std::vector<Rule> fixtureRules()
{
    Rule signature;
    signature.id = uuid("0F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6C");
    signature.name = "Mail signature";
    signature.bundleID = "firefox-esr";
    signature.appDisplayName = "Firefox ESR";
    signature.urlPattern = "https://mail.example.com/";
    signature.urlMatchMode = URLMatchMode::domain;
    signature.content = "Kind regards,\n\tAda \"A.\" L\\";
    signature.createdAt = at(2024, 1, 31, 9, 15, 0);
    signature.lastUsedAt = at(2024, 2, 1, 10, 0, 0);

    Rule rich;
    rich.id = uuid("9A8B7C6D-5E4F-4321-8765-0123456789AB");
    rich.name = "Größe ✓";
    rich.contentType = RuleContentType::richText;
    rich.urlMatchMode = URLMatchMode::regex;
    rich.content = std::string("{\\rtf1 caf\xC3\xA9 \x01") + '\0' + "}";
    rich.isEnabled = false;
    rich.createdAt = at(1969, 12, 31, 23, 59, 59);
    return {signature, rich};
}

// The writer's exact output for fixtureRules(): the macOS encoder's layout.
constexpr std::string_view fixtureText = R"json({
  "rules" : [
    {
      "appDisplayName" : "Firefox ESR",
      "bundleID" : "firefox-esr",
      "content" : "Kind regards,\n\tAda \"A.\" L\\",
      "contentType" : "plainText",
      "createdAt" : "2024-01-31T09:15:00Z",
      "id" : "0F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6C",
      "isEnabled" : true,
      "lastUsedAt" : "2024-02-01T10:00:00Z",
      "name" : "Mail signature",
      "urlMatchMode" : "domain",
      "urlPattern" : "https:\/\/mail.example.com\/"
    },
    {
      "appDisplayName" : "Any Application",
      "bundleID" : "*",
      "content" : "{\\rtf1 café \u0001\u0000}",
      "contentType" : "richText",
      "createdAt" : "1969-12-31T23:59:59Z",
      "id" : "9A8B7C6D-5E4F-4321-8765-0123456789AB",
      "isEnabled" : false,
      "name" : "Größe ✓",
      "urlMatchMode" : "regex"
    }
  ],
  "version" : 1
})json";

RuleStorage decodeOk(std::string_view text)
{
    auto result = RulesFile::decode(text);
    if (auto* error = std::get_if<RulesFileError>(&result))
        ADD_FAILURE() << "rejected: " << error->description;
    return std::holds_alternative<RuleStorage>(result) ? std::get<RuleStorage>(result)
                                                       : RuleStorage{};
}

std::string decodeError(std::string_view text)
{
    auto result = RulesFile::decode(text);
    if (auto* error = std::get_if<RulesFileError>(&result))
        return error->description;
    ADD_FAILURE() << "accepted: " << text.substr(0, 200);
    return {};
}

// A valid file as a JSON value, for tests that alter one thing in it.
nlohmann::json validDocument()
{
    return nlohmann::json::parse(fixtureText);
}

} // namespace

TEST(RulesFileWriter, WritesTheExactLayoutAndReadsEveryFieldBack)
{
    EXPECT_EQ(RulesFile::encode(fixtureRules()), fixtureText);
    const auto storage = decodeOk(fixtureText);
    EXPECT_EQ(storage.version, 1);
    EXPECT_EQ(storage.rules, fixtureRules());
}

TEST(RulesFileWriter, WritesAnEmptyListAsAnEmptyArray)
{
    EXPECT_EQ(RulesFile::encode({}), "{\n  \"rules\" : [\n\n  ],\n  \"version\" : 1\n}");
}

TEST(RulesFileWriter, TruncatesTimesToWholeSeconds)
{
    Rule rule;
    rule.createdAt = at(2024, 3, 1, 9, 15, 0) + milliseconds{750};
    rule.lastUsedAt = at(1969, 12, 31, 23, 59, 59) + milliseconds{500};
    const auto text = RulesFile::encode({rule});
    EXPECT_THAT(text, HasSubstr(R"("createdAt" : "2024-03-01T09:15:00Z")"));
    // Before 1970 truncation goes down as well, never up to the next second.
    EXPECT_THAT(text, HasSubstr(R"("lastUsedAt" : "1969-12-31T23:59:59Z")"));
    const auto back = decodeOk(text).rules.at(0);
    EXPECT_EQ(back.createdAt, rule.createdAt - milliseconds{750});
    EXPECT_EQ(back.lastUsedAt, at(1969, 12, 31, 23, 59, 59));
}

TEST(RulesFileWriter, ReplacesIllFormedUtf8SoTheFileStaysReadable)
{
    Rule rule;
    rule.name = "bad \xC3( \xED\xA0\x80 end";
    rule.content = "\xFF";
    const auto back = decodeOk(RulesFile::encode({rule})).rules.at(0);
    EXPECT_EQ(back.name, "bad \xEF\xBF\xBD( \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD end");
    EXPECT_EQ(back.content, "\xEF\xBF\xBD");
}

TEST(RulesFileWriter, RoundTripsEveryControlCharacter)
{
    Rule rule;
    for (int c = 0; c < 0x20; ++c)
        rule.content.push_back(static_cast<char>(c));
    rule.content += "\x7F/\\\"";
    rule.createdAt = at(2030, 6, 15, 12, 0, 0);
    EXPECT_EQ(decodeOk(RulesFile::encode({rule})).rules.at(0), rule);
}

TEST(RulesFileReader, ReadsAnyVersionAndOptionalForms)
{
    auto document = validDocument();
    document["version"] = -1.0; // an integral float is an integer
    document["rules"][0]["urlPattern"] = nullptr;
    document["rules"][0]["lastUsedAt"] = nullptr;
    document["rules"][1]["urlPattern"] = "";
    const auto storage = decodeOk(document.dump());
    EXPECT_EQ(storage.version, -1);
    EXPECT_EQ(storage.rules.at(0).urlPattern, std::nullopt);
    EXPECT_EQ(storage.rules.at(0).lastUsedAt, std::nullopt);
    EXPECT_EQ(storage.rules.at(1).urlPattern, std::optional<std::string>(""));
    // The next save writes version 1 and keeps the empty pattern.
    const auto rewritten = RulesFile::encode(storage.rules);
    EXPECT_THAT(rewritten, HasSubstr("\"version\" : 1\n}"));
    EXPECT_THAT(rewritten, HasSubstr("\"urlPattern\" : \"\"\n"));
}

TEST(RulesFileReader, IgnoresUnknownKeysAndLowerCaseIdsAndWritesTheCanonicalForm)
{
    auto document = validDocument();
    document["rules"][0]["id"] = "0f8e2c1a-4b7d-4e2a-9c3b-1d2e3f4a5b6c";
    document["extra"] = {{"nested", {1, 2, {{"deep", nullptr}}}}};
    document["rules"][0]["colour"] = "blue";
    document["rules"][0]["tags"] = {"a", {{"b", 1.5}}};
    const auto storage = decodeOk(document.dump());
    EXPECT_EQ(storage.rules, fixtureRules());
    EXPECT_EQ(RulesFile::encode(storage.rules), fixtureText);
}

TEST(RulesFileReader, ReadsTabsCrLfAndAByteOrderMarkLikeTheWritersOwnLayout)
{
    for (const std::string& text :
         {std::regex_replace(std::regex_replace(std::string(fixtureText), std::regex("  "), "\t"),
                             std::regex("\n"), "\r\n"),
          "\xEF\xBB\xBF" + std::string(fixtureText)})
        EXPECT_EQ(decodeOk(text).rules, fixtureRules());
}

struct RejectionCase
{
    const char* name;
    std::function<std::string()> text;
    std::string expected; // the whole description, or a part of it
};

class RulesFileRejections : public ::testing::TestWithParam<RejectionCase>
{};

TEST_P(RulesFileRejections, RejectTheWholeFileWithOneLine)
{
    const auto description = decodeError(GetParam().text());
    EXPECT_THAT(description, HasSubstr(GetParam().expected));
    EXPECT_EQ(description.find('\n'), std::string::npos);
}

std::function<std::string()> altered(std::function<void(nlohmann::json&)> change)
{
    return [change] {
        auto document = validDocument();
        change(document);
        return document.dump();
    };
}

std::function<std::string()> withSecondRule(const char* key, nlohmann::json value)
{
    return altered([key, value](nlohmann::json& d) { d["rules"][1][key] = value; });
}

std::function<std::string()> literal(std::string text)
{
    return [text] { return text; };
}

INSTANTIATE_TEST_SUITE_P(
    Rejections, RulesFileRejections,
    ::testing::Values(
        RejectionCase{"noRules", altered([](auto& d) { d.erase("rules"); }),
                      "the file has no \"rules\""},
        RejectionCase{"hugeVersion", literal(R"({"rules":[],"version":99999999999999999999})"),
                      "\"version\" is not an integer"},
        RejectionCase{"rulesObject",
                      altered([](auto& d) { d["rules"] = nlohmann::json::object(); }),
                      "\"rules\" is not an array: an object"},
        RejectionCase{"ruleNotObject", altered([](auto& d) { d["rules"][1] = 5; }),
                      "rule 2: not a JSON object: 5"},
        RejectionCase{"unknownMode", withSecondRule("urlMatchMode", "fuzzy"),
                      "rule 2: \"urlMatchMode\" is not one of domain, exact, prefix, contains, "
                      "wildcard, regex: \"fuzzy\""},
        RejectionCase{"unknownContentType", withSecondRule("contentType", "html"),
                      "rule 2: \"contentType\" is not plainText or richText: \"html\""},
        RejectionCase{"idNotUuid", withSecondRule("id", "rule-1"),
                      "rule 2: \"id\" is not a UUID: \"rule-1\""},
        RejectionCase{"fractionalSeconds", withSecondRule("createdAt", "2024-01-01T00:00:00.5Z"),
                      "rule 2: \"createdAt\" is not a whole-second UTC time: "
                      "\"2024-01-01T00:00:00.5Z\""},
        RejectionCase{"textBoolean", withSecondRule("isEnabled", "true"),
                      "rule 2: \"isEnabled\" is not true or false: \"true\""},
        RejectionCase{"numericName", withSecondRule("name", 42),
                      "rule 2: \"name\" is not a text: 42"},
        RejectionCase{"objectContent", withSecondRule("content", nlohmann::json::object()),
                      "rule 2: \"content\" has the wrong type: an object"},
        RejectionCase{"topLevelArray", literal("[]"), "not a JSON object"},
        RejectionCase{"blank", literal(" \n\t "), "the file is empty"},
        RejectionCase{"nulByte", literal(std::string("{\"rules\":[],\0\"version\":1}", 25)),
                      "not valid JSON"},
        RejectionCase{"deepArrays",
                      literal(R"({"rules":[],"version":1,"x":)" + std::string(1'000'000, '[')),
                      "nested deeper than 64 levels"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RulesFileRejections, EveryRequiredKeyIsRequired)
{
    for (const char* key : {"appDisplayName", "bundleID", "content", "contentType", "createdAt",
                            "id", "isEnabled", "name", "urlMatchMode"}) {
        auto document = validDocument();
        document["rules"][0].erase(key);
        EXPECT_EQ(decodeError(document.dump()), "rule 1: missing \"" + std::string(key) + '"');
    }
}

TEST(RulesFileRejections, DescriptionsOfHostileBytesAreCleanSingleLines)
{
    for (const std::string& text :
         {std::string("{\"rules\":[],\"version\":1,\"x\":\"\xC3\x28\"}"),
          std::string("{\"rules\":\n[\xFF\xFE\n]}"), std::string("{\"a\":\"\x01\"}")}) {
        const auto description = decodeError(text);
        for (const char c : description) {
            EXPECT_GE(static_cast<unsigned char>(c), 0x20) << description;
            EXPECT_LT(static_cast<unsigned char>(c), 0x7F) << description;
        }
    }
}

TEST(RulesFileRejections, LongValuesAreShortenedInDescriptions)
{
    const auto description = decodeError(withSecondRule("id", std::string(10'000, 'x'))());
    EXPECT_LT(description.size(), 200u);
    EXPECT_THAT(description, HasSubstr("xxx\"..."));
}

TEST(RulesFileRejections, RefusesOversizedInputWithoutParsingIt)
{
    std::string huge(RulesFile::maxFileSize + 1, ' ');
    EXPECT_EQ(decodeError(huge), "the file is larger than 64 MiB (67108865 bytes)");
}

struct TimeCase
{
    const char* text;
    std::optional<TimePoint> expected;
};

class RulesFileTimes : public ::testing::TestWithParam<TimeCase>
{};

TEST_P(RulesFileTimes, ParseOnlyTheStoredForm)
{
    EXPECT_EQ(RulesFile::parseTime(GetParam().text), GetParam().expected) << GetParam().text;
    if (GetParam().expected) {
        EXPECT_EQ(RulesFile::formatTime(*GetParam().expected), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Times, RulesFileTimes,
    ::testing::Values(TimeCase{"1970-01-01T00:00:00Z", TimePoint{}},
                      TimeCase{"2024-02-29T23:59:59Z", at(2024, 2, 29, 23, 59, 59)},
                      TimeCase{"2024-01-01T00:00:60Z", std::nullopt},
                      TimeCase{"2023-02-29T00:00:00Z", std::nullopt},
                      TimeCase{"2024-01-01T00:00:00+00:00", std::nullopt},
                      TimeCase{"2024-01-01t00:00:00z", std::nullopt},
                      TimeCase{"+2024-01-01T00:00:0Z", std::nullopt},
                      TimeCase{"2024-01-01T00:00:00.000Z", std::nullopt},
                      TimeCase{"2262-04-11T23:47:16Z", at(2262, 4, 11, 23, 47, 16)},
                      TimeCase{"2262-04-11T23:47:17Z", std::nullopt},
                      TimeCase{"1677-09-21T00:12:44Z", at(1677, 9, 21, 0, 12, 44)},
                      TimeCase{"1677-09-21T00:12:43Z", std::nullopt}));
