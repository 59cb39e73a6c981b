#include "platform/freedesktop/XdgAutostartLoginItem.h"
#include "TemporaryHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using ondrel::platform::LoginItemStatus;
using ondrel::platform::freedesktop::XdgAutostartLoginItem;
using ondrel::test::readFile;
using ondrel::test::TemporaryHome;
using ondrel::test::writeFile;
namespace fs = std::filesystem;

namespace {

class XdgAutostartTest : public ::testing::Test
{
protected:
    XdgAutostartTest() { home.setEnvironment("XDG_CONFIG_DIRS", systemDir.string()); }

    TemporaryHome home;
    fs::path systemDir = home.root() / "etc-xdg";
    fs::path userEntry = home.configHome() / "autostart" / "ondrel.desktop";
    fs::path systemEntry = systemDir / "autostart" / "ondrel.desktop";
    XdgAutostartLoginItem item{"ondrel", "/opt/Ondrel Apps/bin/ondrel"};
};

// Registering or unregistering twice is no error.
TEST_F(XdgAutostartTest, RegisterWritesAnEntryThatStartsThisProgramAndUnregisterRemovesIt)
{
    EXPECT_EQ(item.entryPath(), userEntry);
    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    ASSERT_EQ(item.registerItem(), std::nullopt);
    ASSERT_EQ(item.registerItem(), std::nullopt);
    const std::string text = readFile(userEntry);
    EXPECT_TRUE(text.starts_with("[Desktop Entry]\n"));
    EXPECT_NE(text.find("\nExec=\"/opt/Ondrel Apps/bin/ondrel\"\n"), std::string::npos);
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);

    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
}

TEST_F(XdgAutostartTest, StatusFollowsTheEntryKeys)
{
    const auto off = LoginItemStatus::notRegistered;
    const auto on = LoginItemStatus::enabled;
    for (const auto& [entry, expected] :
         {std::pair{"[Desktop Entry]\nExec=ondrel\nHidden=true\n", off},
          {"[Desktop Entry]\nHidden = true \n", off},
          {"[Desktop Entry]\nHidden=false\n", on},
          {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", off},
          {"[Desktop Entry]\nExec=ondrel\n[Desktop Action quit]\nHidden=true\n", on},
          {"[Desktop Entry]\n#Hidden=true\n", on}}) {
        writeFile(userEntry, entry);
        EXPECT_EQ(item.status(), expected) << entry;
    }
}

TEST_F(XdgAutostartTest, SystemEntryCountsAndIsOverriddenOnUnregister)
{
    writeFile(systemEntry, "[Desktop Entry]\nType=Application\nExec=/usr/bin/ondrel\n");
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);

    ASSERT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    EXPECT_NE(readFile(userEntry).find("Hidden=true"), std::string::npos);
    EXPECT_TRUE(fs::exists(systemEntry));

    ASSERT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);
}

TEST_F(XdgAutostartTest, FailuresAreDescribed)
{
    writeFile(home.configHome() / "autostart", "a file where the folder belongs");
    const auto error = item.registerItem();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("autostart"), std::string::npos);
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);

    XdgAutostartLoginItem nowhere("ondrel", "");
    EXPECT_TRUE(nowhere.registerItem().has_value());
}

TEST(XdgAutostartExec, QuotesPathsAsDesktopEntriesRequire)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/usr/bin/ondrel", "/usr/bin/ondrel"},
        {"/opt/My Apps/ondrel", "\"/opt/My Apps/ondrel\""},
        {"/opt/100%/ondrel", "/opt/100%%/ondrel"},
        {"/opt/a$b/ondrel", "\"/opt/a\\$b/ondrel\""},
        {"/opt/say \"hi\"/ondrel", "\"/opt/say \\\"hi\\\"/ondrel\""},
        {"/opt/back\\slash/ondrel", "\"/opt/back\\\\\\\\slash/ondrel\""},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(XdgAutostartLoginItem::execValue(path), expected) << path;
    }
}

} // namespace
