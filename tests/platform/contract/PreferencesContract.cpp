#include "Contracts.h"

#include <algorithm>

namespace ondrel::test {
namespace {

using platform::OtherPreferenceValue;
using platform::PreferenceValue;

struct ValueCase
{
    std::string name;
    PreferenceValue value;
};

// Every form of value comes back exactly as it was stored, under any key, also in the next session.
TEST_P(PreferencesContract, KeepsEveryFormOfValueUnderAnyKey)
{
    auto* preferences = &harness().service();
    const std::vector<ValueCase> cases{
        {"shortcut", std::string(R"({"carbonKeyCode":9,"carbonModifiers":768})")},
        {"", std::string()},
        {"\xC3\xA9t\xC3\xA9 \"quoted\" slash/and\\back",
         std::string("\xE2\x87\xA7\xE2\x8C\x98V \"quoted\" \\ \n tab\t")},
        {"cleared", false},
        {"enabled", true},
        {"big", OtherPreferenceValue{"123456789012345678901234567890"}},
        {"fraction", OtherPreferenceValue{"1.50"}},
        {"nested", OtherPreferenceValue{R"({"a": [1, "}]\"", {"b": null}], "c": "{"})"}},
        {"null", OtherPreferenceValue{"null"}},
    };
    for (const auto& entry : cases) {
        preferences->setValue(entry.name, entry.value);
    }
    harness().restart();
    preferences = &harness().service();
    EXPECT_EQ(preferences->keys().size(), cases.size());
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        EXPECT_TRUE(preferences->contains(entry.name));
        EXPECT_EQ(preferences->value(entry.name), std::optional<PreferenceValue>(entry.value));
    }
}

TEST_P(PreferencesContract, ReplacesRemovesAndListsKeys)
{
    auto& preferences = harness().service();
    EXPECT_FALSE(preferences.contains("KeyboardShortcuts_ondrel"));
    EXPECT_EQ(preferences.value("KeyboardShortcuts_ondrel"), std::nullopt);
    EXPECT_TRUE(preferences.keys().empty());

    preferences.setValue("KeyboardShortcuts_ondrel", std::string("x"));
    preferences.setValue("KeyboardShortcuts_ondrel", false);
    preferences.setValue("KeyboardShortcuts_other", true);
    EXPECT_EQ(preferences.value("KeyboardShortcuts_ondrel"), std::optional<PreferenceValue>(false));

    auto keys = preferences.keys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"KeyboardShortcuts_ondrel", "KeyboardShortcuts_other"}));

    preferences.removeValue("KeyboardShortcuts_ondrel");
    preferences.removeValue("KeyboardShortcuts_ondrel");
    preferences.removeValue("never stored");
    EXPECT_FALSE(preferences.contains("KeyboardShortcuts_ondrel"));
    EXPECT_EQ(preferences.keys(), (std::vector<std::string>{"KeyboardShortcuts_other"}));
}

// Text that is not JSON cannot be kept as an "other" value; the earlier value stays.
TEST_P(PreferencesContract, RejectsOtherValuesThatAreNotJson)
{
    auto& preferences = harness().service();
    preferences.setValue("kept", true);
    for (const std::string bad : {"", "{", "1 2", "[1,]", "nul"}) {
        SCOPED_TRACE(bad);
        preferences.setValue("kept", OtherPreferenceValue{bad});
        preferences.setValue("fresh", OtherPreferenceValue{bad});
        EXPECT_EQ(preferences.value("kept"), std::optional<PreferenceValue>(true));
        EXPECT_FALSE(preferences.contains("fresh"));
    }
}

} // namespace
} // namespace ondrel::test
