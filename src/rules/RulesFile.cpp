#include "RulesFile.h"

#include "JsonText.h"

#include <nlohmann/json.hpp>

#include <array>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>

namespace ondrel::rules::RulesFile {

namespace {

using Json = nlohmann::json;

enum class Field
{
    appDisplayName,
    bundleID,
    content,
    contentType,
    createdAt,
    id,
    isEnabled,
    lastUsedAt,
    name,
    urlMatchMode,
    urlPattern,
};
constexpr std::size_t fieldCount = 11;

// Sorted, which is also the order the writer uses.
constexpr std::array<std::string_view, fieldCount> fieldKeys = {
    "appDisplayName", "bundleID",   "content", "contentType",  "createdAt",  "id",
    "isEnabled",      "lastUsedAt", "name",    "urlMatchMode", "urlPattern",
};

std::string_view keyOf(Field field)
{
    return fieldKeys[static_cast<std::size_t>(field)];
}

bool isOptional(Field field)
{
    return field == Field::urlPattern || field == Field::lastUsedAt;
}

std::optional<Field> fieldForKey(std::string_view key)
{
    for (std::size_t i = 0; i < fieldKeys.size(); ++i) {
        if (fieldKeys[i] == key)
            return static_cast<Field>(i);
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- writing

void appendLine(std::string& out, std::string_view indent, std::string_view key,
                std::string_view value, bool last)
{
    out += indent;
    out += '"';
    out += key;
    out += "\" : ";
    out += value;
    if (!last)
        out += ',';
    out += '\n';
}

std::string jsonString(std::string_view text)
{
    std::string out;
    appendJsonString(out, text, SolidusStyle::escaped);
    return out;
}

void appendRule(std::string& out, const Rule& rule)
{
    // Every present key, already in sorted order.
    std::vector<std::pair<Field, std::string>> entries;
    entries.reserve(fieldCount);
    entries.emplace_back(Field::appDisplayName, jsonString(rule.appDisplayName));
    entries.emplace_back(Field::bundleID, jsonString(rule.bundleID));
    entries.emplace_back(Field::content, jsonString(rule.content));
    entries.emplace_back(Field::contentType, jsonString(rawValue(rule.contentType)));
    entries.emplace_back(Field::createdAt, jsonString(formatTime(rule.createdAt)));
    entries.emplace_back(Field::id, jsonString(rule.id.toString()));
    entries.emplace_back(Field::isEnabled, rule.isEnabled ? "true" : "false");
    if (rule.lastUsedAt)
        entries.emplace_back(Field::lastUsedAt, jsonString(formatTime(*rule.lastUsedAt)));
    entries.emplace_back(Field::name, jsonString(rule.name));
    entries.emplace_back(Field::urlMatchMode, jsonString(rawValue(rule.urlMatchMode)));
    if (rule.urlPattern)
        entries.emplace_back(Field::urlPattern, jsonString(*rule.urlPattern));

    out += "    {\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        appendLine(out, "      ", keyOf(entries[i].first), entries[i].second,
                   i + 1 == entries.size());
    out += "    }";
}

// ---------------------------------------------------------------- reading

// A non-container JSON value as the parser reports it. Floats keep their source
// text so that error messages show what the file says.
struct FloatToken
{
    double value;
    std::string text;
};
using Scalar =
    std::variant<std::nullptr_t, bool, std::int64_t, std::uint64_t, FloatToken, std::string>;

std::string describe(const Scalar& value)
{
    struct Visitor
    {
        std::string operator()(std::nullptr_t) const { return "null"; }
        std::string operator()(bool b) const { return b ? "true" : "false"; }
        std::string operator()(std::int64_t n) const { return std::to_string(n); }
        std::string operator()(std::uint64_t n) const { return std::to_string(n); }
        std::string operator()(const FloatToken& f) const
        {
            return singleLine(f.text.substr(0, 40));
        }
        std::string operator()(const std::string& s) const { return quotedForMessage(s); }
    };
    return std::visit(Visitor{}, value);
}

std::string describeContainer(bool isObject)
{
    return isObject ? "an object" : "an array";
}

std::optional<long long> integerValue(const Scalar& value)
{
    if (const auto* n = std::get_if<std::int64_t>(&value))
        return *n;
    if (const auto* u = std::get_if<std::uint64_t>(&value)) {
        if (*u <= static_cast<std::uint64_t>(std::numeric_limits<long long>::max()))
            return static_cast<long long>(*u);
        return std::nullopt;
    }
    // "1.0" and "1e2" are integers written as floats; other writers produce them.
    if (const auto* f = std::get_if<FloatToken>(&value)) {
        constexpr double limit = 9223372036854775808.0; // 2^63
        if (std::isfinite(f->value) && std::trunc(f->value) == f->value && f->value >= -limit &&
            f->value < limit)
            return static_cast<long long>(f->value);
    }
    return std::nullopt;
}

// Turns parser events into a RuleStorage without building a document tree, so
// memory stays proportional to the texts kept and unknown values cost nothing.
class StorageReader
{
public:
    // --- the parser's event interface
    bool null() { return scalar(nullptr); }
    bool boolean(bool value) { return scalar(value); }
    bool number_integer(Json::number_integer_t value) { return scalar(std::int64_t{value}); }
    bool number_unsigned(Json::number_unsigned_t value) { return scalar(std::uint64_t{value}); }
    bool number_float(Json::number_float_t value, const Json::string_t& text)
    {
        return scalar(FloatToken{value, text});
    }
    bool string(Json::string_t& value) { return scalar(std::move(value)); }
    bool binary(Json::binary_t&) { return fail("the file holds binary data"); }
    bool start_object(std::size_t) { return startContainer(true); }
    bool start_array(std::size_t) { return startContainer(false); }
    bool end_object() { return endContainer(); }
    bool end_array() { return endContainer(); }
    bool key(Json::string_t& key);
    bool parse_error(std::size_t, const std::string&, const Json::exception& error);

    // --- results
    std::optional<RulesFileError> finish();
    RuleStorage takeStorage() { return std::move(m_storage); }

private:
    enum class Where
    {
        start,
        top,
        rulesArray,
        rule,
        done
    };
    enum class Slot
    {
        root,
        version,
        rules,
        element,
        field,
        ignored
    };

    Slot currentSlot() const;
    bool scalar(Scalar value);
    bool startContainer(bool isObject);
    bool endContainer();
    bool assignField(Scalar value);
    bool assignText(std::string& target, Scalar& value);
    bool assignTime(TimePoint& target, const Scalar& value);
    bool fail(std::string description);
    bool failRule(std::string description);
    std::string fieldName() const { return '"' + std::string(keyOf(m_field)) + '"'; }

    RuleStorage m_storage;
    std::optional<std::string> m_error;
    Where m_where = Where::start;
    Slot m_keySlot = Slot::ignored;
    Field m_field = Field::name;
    std::size_t m_depth = 0;
    std::size_t m_skipDepth = 0;
    bool m_sawVersion = false;
    bool m_sawRules = false;
    Rule m_rule;
    std::bitset<fieldCount> m_seen;
};

StorageReader::Slot StorageReader::currentSlot() const
{
    switch (m_where) {
    case Where::start:
        return Slot::root;
    case Where::top:
        return m_keySlot;
    case Where::rulesArray:
        return Slot::element;
    case Where::rule:
        return m_keySlot;
    case Where::done:
        break;
    }
    return Slot::ignored;
}

bool StorageReader::fail(std::string description)
{
    if (!m_error)
        m_error = std::move(description);
    return false;
}

bool StorageReader::failRule(std::string description)
{
    return fail("rule " + std::to_string(m_storage.rules.size() + 1) + ": " +
                std::move(description));
}

bool StorageReader::key(Json::string_t& key)
{
    if (m_skipDepth > 0)
        return true;
    if (m_where == Where::top) {
        if (key == "version")
            m_keySlot = Slot::version;
        else if (key == "rules")
            m_keySlot = Slot::rules;
        else
            m_keySlot = Slot::ignored;
    } else if (m_where == Where::rule) {
        const auto field = fieldForKey(key);
        m_keySlot = field ? Slot::field : Slot::ignored;
        if (field)
            m_field = *field;
    }
    return true;
}

bool StorageReader::scalar(Scalar value)
{
    if (m_skipDepth > 0)
        return true;
    switch (currentSlot()) {
    case Slot::root:
        return fail("the file holds " + describe(value) + ", not a JSON object");
    case Slot::version:
        if (const auto version = integerValue(value)) {
            m_storage.version = *version;
            m_sawVersion = true;
            return true;
        }
        return fail("\"version\" is not an integer: " + describe(value));
    case Slot::rules:
        return fail("\"rules\" is not an array: " + describe(value));
    case Slot::element:
        return failRule("not a JSON object: " + describe(value));
    case Slot::field:
        return assignField(std::move(value));
    case Slot::ignored:
        return true;
    }
    return true;
}

bool StorageReader::startContainer(bool isObject)
{
    if (++m_depth > maxNestingDepth)
        return fail("nested deeper than " + std::to_string(maxNestingDepth) + " levels");
    if (m_skipDepth > 0) {
        ++m_skipDepth;
        return true;
    }
    switch (currentSlot()) {
    case Slot::root:
        if (!isObject)
            return fail("the file holds an array, not a JSON object");
        m_where = Where::top;
        m_keySlot = Slot::ignored;
        return true;
    case Slot::version:
        return fail("\"version\" is not an integer: " + describeContainer(isObject));
    case Slot::rules:
        if (isObject)
            return fail("\"rules\" is not an array: an object");
        // A repeated key replaces the earlier value, as for every other key.
        m_storage.rules.clear();
        m_sawRules = true;
        m_where = Where::rulesArray;
        return true;
    case Slot::element:
        if (!isObject)
            return failRule("not a JSON object: an array");
        m_where = Where::rule;
        m_keySlot = Slot::ignored;
        m_rule = Rule{};
        m_seen.reset();
        return true;
    case Slot::field:
        return failRule(fieldName() + " has the wrong type: " + describeContainer(isObject));
    case Slot::ignored:
        m_skipDepth = 1;
        return true;
    }
    return true;
}

bool StorageReader::endContainer()
{
    --m_depth;
    if (m_skipDepth > 0) {
        --m_skipDepth;
        return true;
    }
    switch (m_where) {
    case Where::top:
        m_where = Where::done;
        return true;
    case Where::rulesArray:
        m_where = Where::top;
        m_keySlot = Slot::ignored;
        return true;
    case Where::rule:
        for (std::size_t i = 0; i < fieldCount; ++i) {
            const auto field = static_cast<Field>(i);
            if (!m_seen[i] && !isOptional(field))
                return failRule("missing \"" + std::string(keyOf(field)) + '"');
        }
        m_storage.rules.push_back(std::move(m_rule));
        m_where = Where::rulesArray;
        return true;
    case Where::start:
    case Where::done:
        break;
    }
    return true;
}

bool StorageReader::assignText(std::string& target, Scalar& value)
{
    auto* text = std::get_if<std::string>(&value);
    if (!text)
        return failRule(fieldName() + " is not a text: " + describe(value));
    target = std::move(*text);
    return true;
}

bool StorageReader::assignTime(TimePoint& target, const Scalar& value)
{
    const auto* text = std::get_if<std::string>(&value);
    const auto time = text ? parseTime(*text) : std::nullopt;
    if (!time)
        return failRule(fieldName() + " is not a whole-second UTC time: " + describe(value));
    target = *time;
    return true;
}

bool StorageReader::assignField(Scalar value)
{
    m_seen.set(static_cast<std::size_t>(m_field));
    const bool isNull = std::holds_alternative<std::nullptr_t>(value);
    switch (m_field) {
    case Field::appDisplayName:
        return assignText(m_rule.appDisplayName, value);
    case Field::bundleID:
        return assignText(m_rule.bundleID, value);
    case Field::content:
        return assignText(m_rule.content, value);
    case Field::name:
        return assignText(m_rule.name, value);
    case Field::urlPattern:
        if (isNull) {
            m_rule.urlPattern.reset();
            return true;
        }
        return assignText(m_rule.urlPattern.emplace(), value);
    case Field::contentType: {
        const auto* text = std::get_if<std::string>(&value);
        const auto type = text ? ruleContentTypeFromRaw(*text) : std::nullopt;
        if (!type)
            return failRule(fieldName() + " is not plainText or richText: " + describe(value));
        m_rule.contentType = *type;
        return true;
    }
    case Field::urlMatchMode: {
        const auto* text = std::get_if<std::string>(&value);
        const auto mode = text ? urlMatchModeFromRaw(*text) : std::nullopt;
        if (!mode)
            return failRule(fieldName() +
                            " is not one of domain, exact, prefix, contains, wildcard, regex: " +
                            describe(value));
        m_rule.urlMatchMode = *mode;
        return true;
    }
    case Field::id: {
        const auto* text = std::get_if<std::string>(&value);
        const auto id = text ? Uuid::fromString(*text) : std::nullopt;
        if (!id)
            return failRule(fieldName() + " is not a UUID: " + describe(value));
        m_rule.id = *id;
        return true;
    }
    case Field::isEnabled:
        if (const auto* flag = std::get_if<bool>(&value)) {
            m_rule.isEnabled = *flag;
            return true;
        }
        return failRule(fieldName() + " is not true or false: " + describe(value));
    case Field::createdAt:
        return assignTime(m_rule.createdAt, value);
    case Field::lastUsedAt:
        if (isNull) {
            m_rule.lastUsedAt.reset();
            return true;
        }
        return assignTime(m_rule.lastUsedAt.emplace(), value);
    }
    return true;
}

bool StorageReader::parse_error(std::size_t, const std::string&, const Json::exception& error)
{
    // The library's text starts with "[json.exception.parse_error.101] ", which
    // says nothing to a user; the rest names the line and column.
    std::string_view text = error.what();
    if (const auto end = text.find("] ");
        !text.empty() && text.front() == '[' && end != std::string_view::npos)
        text.remove_prefix(end + 2);
    return fail("not valid JSON: " + std::string(text));
}

std::optional<RulesFileError> StorageReader::finish()
{
    if (m_error)
        return RulesFileError{singleLine(*m_error)};
    if (!m_sawRules)
        return RulesFileError{"the file has no \"rules\""};
    if (!m_sawVersion)
        return RulesFileError{"the file has no \"version\""};
    return std::nullopt;
}

bool isBlank(std::string_view bytes)
{
    return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Whole seconds that the clock's representation can hold.
constexpr long long minSeconds =
    std::chrono::duration_cast<std::chrono::seconds>(TimePoint::duration::min()).count();
constexpr long long maxSeconds =
    std::chrono::duration_cast<std::chrono::seconds>(TimePoint::duration::max()).count();

} // namespace

std::string encode(const std::vector<Rule>& rules)
{
    // The layout of the macOS writer (two-space indent, " : " between key and
    // value, an empty array as "[\n\n  ]", no final newline), so files stay
    // byte-identical across platforms.
    std::string out = "{\n  \"rules\" : [\n";
    if (rules.empty())
        out += '\n';
    for (std::size_t i = 0; i < rules.size(); ++i) {
        appendRule(out, rules[i]);
        if (i + 1 < rules.size())
            out += ',';
        out += '\n';
    }
    out += "  ],\n";
    appendLine(out, "  ", "version", "1", true);
    out += '}';
    return out;
}

DecodeResult decode(std::string_view bytes)
{
    if (bytes.size() > maxFileSize)
        return RulesFileError{"the file is larger than " + std::to_string(maxFileSize >> 20) +
                              " MiB (" + std::to_string(bytes.size()) + " bytes)"};
    if (isBlank(bytes))
        return RulesFileError{"the file is empty"};
    StorageReader reader;
    Json::sax_parse(bytes.begin(), bytes.end(), &reader);
    if (auto error = reader.finish())
        return *std::move(error);
    return reader.takeStorage();
}

std::string formatTime(TimePoint time)
{
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss clock{seconds - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::optional<TimePoint> parseTime(std::string_view text)
{
    using namespace std::chrono;
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const auto number = [&](std::size_t pos, std::size_t length) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = pos; i < pos + length; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const auto y = number(0, 4), mo = number(5, 2), d = number(8, 2);
    const auto h = number(11, 2), mi = number(14, 2), s = number(17, 2);
    if (!y || !mo || !d || !h || !mi || !s || *h > 23 || *mi > 59 || *s > 59)
        return std::nullopt;
    const year_month_day date{year{*y}, month{static_cast<unsigned>(*mo)},
                              day{static_cast<unsigned>(*d)}};
    if (!date.ok())
        return std::nullopt;
    const long long total =
        static_cast<long long>(sys_days{date}.time_since_epoch().count()) * 86400 + *h * 3600LL +
        *mi * 60LL + *s;
    if (total < minSeconds || total > maxSeconds)
        return std::nullopt;
    return TimePoint{duration_cast<TimePoint::duration>(std::chrono::seconds{total})};
}

} // namespace ondrel::rules::RulesFile
