#include "paste/PermissionManager.h"
#include "paste/AccessibilitySettings.h"

#include "TemporaryHome.h"
#include "TestFiles.h"

#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using ondrel::paste::AccessibilitySettings;
using ondrel::paste::PermissionManager;
using ondrel::paste::SettingsCommand;

namespace {

class PermissionManagerTest : public testing::Test
{
protected:
    PermissionManager& manager()
    {
        if (!m_manager) {
            m_manager.emplace(PermissionManager::Services{fake.executor(), fake.accessibility(),
                                                          fake.alerts(),
                                                          [this] { ++settingsOpened; }});
            m_subscriptions.push_back(m_manager->addObserver([this] {
                seen.push_back({"will", m_manager->hasAccessibility()});
            }));
            m_subscriptions.push_back(m_manager->addDidChangeObserver([this] {
                seen.push_back({"did", m_manager->hasAccessibility()});
            }));
        }
        return *m_manager;
    }

    ondrel::platform::fake::FakePlatform fake;
    int settingsOpened = 0;
    std::vector<std::pair<std::string, bool>> seen;
    std::optional<PermissionManager> m_manager;
    std::vector<ondrel::common::Subscription> m_subscriptions;
};

TEST_F(PermissionManagerTest, EveryRefreshIsAnnouncedBeforeAndAfter)
{
    fake.accessibility().setTrusted(false);
    manager();
    fake.accessibility().setTrusted(true);
    manager().refreshAccessibility();
    manager().refreshAccessibility();
    const std::vector<std::pair<std::string, bool>> expected = {
        {"will", false}, {"did", true}, {"will", true}, {"did", true}};
    EXPECT_EQ(seen, expected);
}

TEST_F(PermissionManagerTest, TrustedLaunchShowsNoAlert)
{
    manager().promptForAccessibilityIfNeeded();
    EXPECT_TRUE(fake.alerts().shownAlerts().empty());
    EXPECT_EQ(settingsOpened, 0);
}

struct AlertAnswer
{
    int button; // -1: Escape
    ondrel::platform::TrustRequest request;
    int settingsOpened;
    bool trustedAfter;
};

class LaunchAlert : public PermissionManagerTest, public testing::WithParamInterface<AlertAnswer>
{};

TEST_P(LaunchAlert, IsShownOnceAndTurnsTrustOnBeforeAnySettings)
{
    fake.accessibility().setTrusted(false);
    fake.accessibility().setRequestAnswer(GetParam().request);
    if (GetParam().button < 0)
        fake.alerts().queueEscape();
    else
        fake.alerts().queueAnswer(GetParam().button);
    manager().promptForAccessibilityIfNeeded();
    ASSERT_EQ(fake.alerts().shownAlerts().size(), 1u);
    EXPECT_EQ(fake.alerts().shownAlerts()[0].buttons,
              (std::vector<std::string>{"Turn On Accessibility", "Later"}));
    EXPECT_EQ(fake.accessibility().requestTrustCount(), GetParam().button == 0 ? 1 : 0);
    EXPECT_EQ(settingsOpened, GetParam().settingsOpened);
    EXPECT_EQ(manager().hasAccessibility(), GetParam().trustedAfter);
    EXPECT_FALSE(manager().isPolling());
}

using ondrel::platform::TrustRequest;
INSTANTIATE_TEST_SUITE_P(Answers, LaunchAlert,
                         testing::Values(AlertAnswer{0, TrustRequest::granted, 0, true},
                                         AlertAnswer{0, TrustRequest::declined, 0, false},
                                         AlertAnswer{0, TrustRequest::failed, 1, false},
                                         AlertAnswer{1, TrustRequest::granted, 0, false},
                                         AlertAnswer{-1, TrustRequest::granted, 0, false}));

TEST_F(PermissionManagerTest, WithoutSyntheticInputTheAlertSaysSoAndOffersNothing)
{
    fake.accessibility().setTrusted(false);
    fake.accessibility().setCanSynthesizeInput(false);
    manager().promptForAccessibilityIfNeeded();
    ASSERT_EQ(fake.alerts().shownAlerts().size(), 1u);
    EXPECT_EQ(fake.alerts().shownAlerts()[0].buttons, (std::vector<std::string>{"OK"}));
    EXPECT_NE(fake.alerts().shownAlerts()[0].informativeText.find("XTEST"), std::string::npos);
    EXPECT_EQ(fake.accessibility().requestTrustCount(), 0);
    EXPECT_EQ(settingsOpened, 0);
}

TEST_F(PermissionManagerTest, PollRefreshesEveryTwoSecondsUntilStopped)
{
    fake.accessibility().setTrusted(false);
    manager().startPolling();
    manager().startPolling(); // the pane shown twice
    EXPECT_EQ(fake.executor().pendingTimers(), 1u);
    fake.executor().advance(1999ms);
    EXPECT_TRUE(seen.empty());
    fake.executor().advance(1ms);
    EXPECT_EQ(seen.size(), 2u);

    fake.accessibility().setTrusted(true); // the user grants trust meanwhile
    fake.executor().advance(2s);
    EXPECT_TRUE(manager().hasAccessibility());
    fake.executor().advance(6s); // polling goes on after the grant
    EXPECT_EQ(seen.size(), 10u);

    manager().stopPolling();
    EXPECT_FALSE(manager().isPolling());
    fake.executor().advance(10s);
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
}

TEST_F(PermissionManagerTest, ManagerGoingAwayEndsThePoll)
{
    manager().startPolling();
    m_subscriptions.clear();
    m_manager.reset();
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
    fake.executor().advance(5s);
}

// The desktops' settings programs.
struct DesktopCase
{
    const char* name;
    const char* currentDesktops;
    std::vector<std::string> installed;
    std::optional<SettingsCommand> command;
};

class SettingsPrograms : public testing::TestWithParam<DesktopCase>
{};

TEST_P(SettingsPrograms, FollowTheCurrentDesktop)
{
    const auto& installed = GetParam().installed;
    const auto finder = [&](std::string_view name) -> std::optional<std::string> {
        if (std::find(installed.begin(), installed.end(), name) == installed.end())
            return std::nullopt;
        return "/usr/bin/" + std::string(name);
    };
    EXPECT_EQ(AccessibilitySettings::command(GetParam().currentDesktops, finder),
              GetParam().command);
}

const SettingsCommand gnome{"/usr/bin/gnome-control-center", {"universal-access"}};

INSTANTIATE_TEST_SUITE_P(
    Desktops, SettingsPrograms,
    testing::Values(DesktopCase{"ubuntu", "ubuntu:GNOME", {"gnome-control-center"}, gnome},
                    DesktopCase{"case", "gnome", {"gnome-control-center"}, gnome},
                    DesktopCase{"gnome_without_program", "GNOME", {}, std::nullopt},
                    DesktopCase{"xfce",
                                "XFCE",
                                {"xfce4-accessibility-settings", "gnome-control-center"},
                                SettingsCommand{"/usr/bin/xfce4-accessibility-settings", {}}},
                    DesktopCase{"no_desktop", "", {"gnome-control-center"}, std::nullopt}),

    [](const auto& info) { return std::string(info.param.name); });

TEST(AccessibilitySettingsLaunch, FindsExecutablesOnPathOnly)
{
    ondrel::test::TemporaryHome home;
    const auto bin = home.root() / "bin";
    ondrel::test::writeFile(bin / "tool", "#!/bin/sh\n");
    ondrel::test::writeFile(bin / "data", "");
    std::filesystem::permissions(bin / "tool", std::filesystem::perms::owner_all);
    home.setEnvironment("PATH", "relative/dir:" + bin.string());
    EXPECT_EQ(AccessibilitySettings::findOnPath("tool"), (bin / "tool").string());
    EXPECT_EQ(AccessibilitySettings::findOnPath("data"), std::nullopt);
    EXPECT_EQ(AccessibilitySettings::findOnPath("missing"), std::nullopt);
}

TEST(AccessibilitySettingsLaunch, StartsTheProgramDetachedAndReportsFailures)
{
    ondrel::test::TemporaryHome home;
    const auto marker = home.root() / "ran";
    EXPECT_TRUE(AccessibilitySettings::launchDetached(
        SettingsCommand{"/bin/sh", {"-c", "echo started > '" + marker.string() + "'"}}));
    // The program runs on its own; give it a generous while to leave its mark.
    for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(std::filesystem::exists(marker));

    EXPECT_FALSE(AccessibilitySettings::launchDetached(
        SettingsCommand{(home.root() / "no-such-program").string(), {}}));
}

} // namespace
