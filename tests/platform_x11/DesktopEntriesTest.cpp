#include "platform/freedesktop/DesktopEntries.h"

#include "TemporaryHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <thread>

namespace ondrel::platform::freedesktop {
namespace {

namespace fs = std::filesystem;
using test::writeFile;

class DesktopEntriesTest : public testing::Test
{
protected:
    fs::path userDir() const { return m_home.dataHome(); }
    fs::path systemDir() const { return m_home.root() / "usr/share"; }

    void write(const fs::path& dataDir, const std::string& relative, const std::string& text)
    {
        writeFile(dataDir / "applications" / relative, text);
    }

    DesktopEntries entries(const std::string& locale = "C")
    {
        return DesktopEntries({userDir(), systemDir()}, locale);
    }

    test::TemporaryHome m_home;
};

TEST_F(DesktopEntriesTest, ReadsTheMainGroupWithTheBestTranslation)
{
    write(systemDir(), "org.example.Editor.desktop",
          "# comment\n"
          "[Desktop Entry]\n"
          "Type=Application\n"
          "Name=Text Editor\n"
          "Name[de]=Texteditor\n"
          "Name[de_AT]=Texteditor (AT)\n"
          "Name[fr]=\xC3\x89"
          "diteur\\sde\\stexte\n"
          "Icon=accessories-text-editor\n"
          "StartupWMClass=gedit\n"
          "[Desktop Action new]\n"
          "Name=New Window\n"
          "Icon=other\n");
    const std::vector<std::pair<std::string, std::string>> names{
        {"C", "Text Editor"},
        {"de_DE.UTF-8", "Texteditor"},
        {"de_AT.UTF-8@euro", "Texteditor (AT)"},
        {"fr_FR", "\xC3\x89"
                  "diteur de texte"}};
    for (const auto& [locale, name] : names) {
        const auto entry = entries(locale).byId("org.example.Editor");
        ASSERT_TRUE(entry) << locale;
        EXPECT_EQ(entry->name, name) << locale;
        EXPECT_EQ(entry->icon, "accessories-text-editor");
        EXPECT_EQ(entry->startupWMClass, "gedit");
    }
}

// Only usable applications are found, user entries shadow system entries, and entries in
// subdirectories join the id with dashes.
TEST_F(DesktopEntriesTest, IndexesUsableApplicationsByTheirIds)
{
    const std::vector<std::pair<std::string, std::string>> unusable{
        {"link", "[Desktop Entry]\nType=Link\nName=A link\nURL=x\n"},
        {"nameless", "[Desktop Entry]\nType=Application\nExec=x\n"},
        {"hidden", "[Desktop Entry]\nType=Application\nName=H\nHidden=true\n"},
        {"nogroup", "Type=Application\nName=No group\n"}};
    for (const auto& [id, text] : unusable)
        write(systemDir(), id + ".desktop", text);
    write(systemDir(), "helper.desktop",
          "[Desktop Entry]\nType=Application\nName=Helper\nNoDisplay=true\n");
    write(systemDir(), "firefox.desktop", "[Desktop Entry]\nType=Application\nName=Firefox\n");
    write(userDir(), "firefox.desktop",
          "[Desktop Entry]\nType=Application\nName=My Firefox\nStartupWMClass=Navigator\n");
    write(systemDir(), "removed.desktop", "[Desktop Entry]\nType=Application\nName=Removed\n");
    write(userDir(), "removed.desktop", "[Desktop Entry]\nHidden=true\n");
    write(systemDir(), "kde4/kate.desktop", "[Desktop Entry]\nType=Application\nName=Kate\n");
    auto index = entries();

    for (const auto& [id, text] : unusable)
        EXPECT_FALSE(index.byId(id)) << id;
    // NoDisplay keeps an entry out of menus, not out of existence.
    const auto helper = index.byId("helper");
    ASSERT_TRUE(helper);
    EXPECT_TRUE(helper->noDisplay);

    EXPECT_EQ(index.byId("firefox")->name, "My Firefox");
    EXPECT_EQ(index.byStartupWMClass("Navigator")->id, "firefox");
    EXPECT_FALSE(index.byId("removed"));

    ASSERT_TRUE(index.byId("kde4-kate"));
    EXPECT_EQ(index.idForPath(systemDir() / "applications/kde4/kate.desktop"), "kde4-kate");
    EXPECT_EQ(index.idForPath("/somewhere/else/tool.desktop"), "tool");
}

TEST_F(DesktopEntriesTest, SeesEntriesInstalledAfterTheFirstQuestion)
{
    auto index = entries();
    EXPECT_FALSE(index.byId("late"));
    write(userDir(), "late.desktop", "[Desktop Entry]\nType=Application\nName=Late\n");
    // Directory times may have a coarse resolution; make the change visible for sure.
    fs::last_write_time(userDir() / "applications",
                        fs::file_time_type::clock::now() + std::chrono::seconds(5));
    // Directories are looked at again at most once a second.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!index.byId("late") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(index.byId("late"));
}

TEST_F(DesktopEntriesTest, DataDirsFollowTheXdgVariables)
{
    m_home.setEnvironment("XDG_DATA_HOME", "/data/home");
    m_home.setEnvironment("XDG_DATA_DIRS", "/a:relative/b::/usr/share/:/a");
    EXPECT_EQ(DesktopEntries::xdgDataDirs(),
              (std::vector<fs::path>{"/data/home", "/a", "/usr/share/"}));
    m_home.setEnvironment("XDG_DATA_HOME", std::nullopt);
    m_home.setEnvironment("XDG_DATA_DIRS", std::nullopt);
    EXPECT_EQ(DesktopEntries::xdgDataDirs(),
              (std::vector<fs::path>{m_home.home() / ".local/share", "/usr/local/share/",
                                     "/usr/share/"}));
}

} // namespace
} // namespace ondrel::platform::freedesktop
