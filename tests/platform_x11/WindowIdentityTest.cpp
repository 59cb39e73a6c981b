#include "platform/freedesktop/WindowIdentity.h"

#include "platform/freedesktop/DesktopEntries.h"

#include "TemporaryHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace ondrel::platform::freedesktop {
namespace {

namespace fs = std::filesystem;
using test::writeFile;

struct IdentityCase
{
    const char* name;
    WindowFacts facts;
    std::optional<std::string> id;
};

class ApplicationId : public testing::TestWithParam<IdentityCase>
{
protected:
    void SetUp() override
    {
        const auto apps = dataDir() / "applications";
        auto app = [&](const std::string& id, const std::string& extra = {}) {
            writeFile(apps / (id + ".desktop"),
                      "[Desktop Entry]\nType=Application\nName=" + id + "\n" + extra);
        };
        app("debian-xterm", "StartupWMClass=XTerm\n");
        app("firefox-esr", "StartupWMClass=firefox-esr\n");
        app("chromium", "StartupWMClass=chromium\n");
        app("Navigator-by-instance", "StartupWMClass=Navigator\n");
        app("gimp");
        app("firefox_firefox");
        // A process sandboxed by Flatpak (1001) and two confined by Snap (1002, 1003).
        writeFile(procRoot() / "1001/root/.flatpak-info",
                  "[Application]\nname=org.gnome.Calculator\nruntime=x\n[Instance]\nname=y\n");
        writeFile(procRoot() / "1002/attr/current", "snap.firefox.firefox (enforce)\n");
        writeFile(procRoot() / "1003/cgroup",
                  "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                  "snap.code.code-insiders-0f8fad5b-d9cb-469f-a165-70867728950e.scope\n");
        writeFile(procRoot() / "1004/root/.flatpak-info", "[Runtime]\nname=org.gnome.Platform\n");
    }

    fs::path dataDir() const { return m_home.root() / "share"; }
    fs::path procRoot() const { return m_home.root() / "proc"; }

    test::TemporaryHome m_home;
};

TEST_P(ApplicationId, FollowsTheChainOfEvidence)
{
    freedesktop::DesktopEntries entries({dataDir()}, "C");
    EXPECT_EQ(applicationIdFor(GetParam().facts, entries, procRoot()), GetParam().id);
}

WindowFacts wm(std::string instance, std::string wmClass)
{
    WindowFacts facts;
    facts.wmInstance = std::move(instance);
    facts.wmClass = std::move(wmClass);
    return facts;
}

WindowFacts with(WindowFacts facts, std::int64_t pid, std::string kde = {}, std::string gtk = {})
{
    facts.processIdentifier = pid;
    facts.kdeDesktopFile = std::move(kde);
    facts.gtkApplicationId = std::move(gtk);
    return facts;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ApplicationId,
    testing::Values(
        IdentityCase{"xtermByStartupClass", wm("xterm", "XTerm"), "debian-xterm"},
        IdentityCase{"firefoxByStartupClass", wm("Navigator", "firefox-esr"),
                     "Navigator-by-instance"},
        // Chromium with --user-data-dir puts the profile into its instance name.
        IdentityCase{"chromiumByLowerCaseClass", wm("chromium (/tmp/profile)", "Chromium"),
                     "chromium"},
        IdentityCase{"gimpByFileName", wm("gimp-2.10", "gimp"), "gimp"},
        IdentityCase{"flatpakBeatsEverything",
                     with(wm("gnome-calculator", "Gnome-calculator"), 1001, "other", "other"),
                     "org.gnome.Calculator"},
        IdentityCase{"snapLabelNamesTheDesktopFile", with(wm("Navigator", "firefox"), 1002),
                     "firefox_firefox"},
        IdentityCase{"snapCgroupWithoutDesktopFile", with(wm("code", "Code"), 1003), "code"},
        IdentityCase{"flatpakRuntimeOnlyIsNoApplication", with(wm("xterm", "XTerm"), 1004),
                     "debian-xterm"},
        IdentityCase{
            "kdeDesktopFilePath",
            with(wm("dolphin", "dolphin"), 99, "/usr/share/applications/org.kde.dolphin.desktop"),
            "org.kde.dolphin"},
        IdentityCase{
            "gtkApplicationId",
            with(wm("gnome-text-editor", "Gnome-text-editor"), 99, {}, "org.gnome.TextEditor"),
            "org.gnome.TextEditor"},
        IdentityCase{"unknownClass", wm("zenity", "Zenity"), "wmclass:Zenity"},
        IdentityCase{"instanceOnly", wm("tool", ""), "wmclass:tool"},
        IdentityCase{"pathLikeClassIsNotAFileName", wm("../chromium", "../chromium"),
                     "wmclass:../chromium"},
        IdentityCase{"nothingKnown", WindowFacts{}, std::nullopt}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace ondrel::platform::freedesktop
