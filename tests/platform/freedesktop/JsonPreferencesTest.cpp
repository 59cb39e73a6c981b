#include "platform/freedesktop/JsonPreferences.h"
#include "QtTestSupport.h"
#include "TemporaryHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using ondrel::platform::OtherPreferenceValue;
using ondrel::platform::PreferenceValue;
using ondrel::platform::freedesktop::JsonPreferences;
using ondrel::test::permissions;
using ondrel::test::QtLogCapture;
using ondrel::test::readFile;
using ondrel::test::TemporaryHome;
using ondrel::test::writeFile;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> asideFiles(const fs::path& folder)
{
    std::vector<fs::path> result;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("preferences.json.corrupt-")) {
            result.push_back(entry.path());
        }
    }
    return result;
}

class JsonPreferencesTest : public ::testing::Test
{
protected:
    TemporaryHome home;
    fs::path file = home.configHome() / "Ondrel" / "preferences.json";
};

TEST_F(JsonPreferencesTest, LivesUnderXdgConfigHome)
{
    EXPECT_EQ(JsonPreferences::defaultPath(), file);
    const auto fallback = home.home() / ".config" / "Ondrel" / "preferences.json";
    home.setEnvironment("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(JsonPreferences::defaultPath(), fallback);
    home.setEnvironment("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(JsonPreferences::defaultPath(), fallback);
}

TEST_F(JsonPreferencesTest, FileIsPrivateReadableJson)
{
    JsonPreferences preferences;
    preferences.setValue("b", true);
    preferences.setValue("a", std::string("x"));
    EXPECT_EQ(readFile(file), "{\n  \"a\": \"x\",\n  \"b\": true\n}\n");
    EXPECT_EQ(permissions(file), 0600u);
    EXPECT_EQ(permissions(file.parent_path()), 0700u);

    // Damaged text is written as replacement characters: the file stays readable.
    preferences.removeValue("a");
    preferences.setValue("b", std::string("a\xFF"
                                          "b"));
    EXPECT_EQ(JsonPreferences().value("b"),
              std::optional<PreferenceValue>(std::string("a\xEF\xBF\xBD"
                                                         "b")));
    EXPECT_TRUE(asideFiles(file.parent_path()).empty());
    preferences.removeValue("b");
    EXPECT_EQ(readFile(file), "{}\n");
}

TEST_F(JsonPreferencesTest, ReadsFilesWrittenByHand)
{
    writeFile(file, " {\"k\" : \"v\" , \"n\":\t7,\n\"esc\\\"aped\": [ ], \"t\":true}  ");
    JsonPreferences preferences;
    EXPECT_EQ(preferences.value("k"), std::optional<PreferenceValue>(std::string("v")));
    EXPECT_EQ(preferences.value("n"), std::optional<PreferenceValue>(OtherPreferenceValue{"7"}));
    EXPECT_EQ(preferences.value("esc\"aped"),
              std::optional<PreferenceValue>(OtherPreferenceValue{"[ ]"}));
    EXPECT_EQ(preferences.value("t"), std::optional<PreferenceValue>(true));
}

// A damaged file is moved aside untouched, the store starts empty, and saving works again.
// Damaged files found within one second are all kept.
TEST_F(JsonPreferencesTest, ADamagedFileIsKeptAsideAndTheStoreStartsEmpty)
{
    std::size_t damaged = 0;
    for (const std::string content : {R"({"KeyboardShortcuts_ondrel": "{\"carbonKey)", "", "[true]",
                                      "{\"k\": \"\xFF\xFE\"}", "{} {}"}) {
        SCOPED_TRACE(content);
        writeFile(file, content);
        QtLogCapture log;
        JsonPreferences preferences;
        EXPECT_TRUE(preferences.keys().empty());
        EXPECT_EQ(log.lines().size(), 1);
        EXPECT_FALSE(fs::exists(file));
        const auto aside = asideFiles(file.parent_path());
        ASSERT_EQ(aside.size(), ++damaged);
        EXPECT_EQ(std::count_if(aside.begin(), aside.end(),
                                [&](const fs::path& path) { return readFile(path) == content; }),
                  1);

        preferences.setValue("KeyboardShortcuts_ondrel", false);
        EXPECT_EQ(JsonPreferences().value("KeyboardShortcuts_ondrel"),
                  std::optional<PreferenceValue>(false));
    }
    EXPECT_EQ(asideFiles(file.parent_path()).size(), damaged);
}

TEST_F(JsonPreferencesTest, UnwritableFolderKeepsValuesInMemoryAndLogs)
{
    // A file where the folder should be: nothing can be created there.
    writeFile(home.configHome() / "Ondrel", "not a folder");
    QtLogCapture log;
    JsonPreferences preferences;
    preferences.setValue("flag", true);
    EXPECT_EQ(preferences.value("flag"), std::optional<PreferenceValue>(true));
    EXPECT_FALSE(log.lines().isEmpty());
    EXPECT_EQ(readFile(home.configHome() / "Ondrel"), "not a folder");
}

} // namespace
