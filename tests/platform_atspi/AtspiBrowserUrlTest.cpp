#include "AtspiTestTrees.h"
#include "FakeAtspiDesktop.h"

#include "platform/freedesktop/AtspiBrowserUrl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace ondrel::test {
namespace {

using namespace std::chrono_literals;
using platform::freedesktop::AtspiBrowserUrl;

std::int64_t ownPid()
{
    return static_cast<std::int64_t>(::getpid());
}

AtspiBrowserUrl::Options optionsFor(const QString& address,
                                    std::optional<std::string> activeTitle = std::nullopt)
{
    AtspiBrowserUrl::Options options;
    options.sessionBusAddress = address.toStdString();
    options.budget = 600ms;
    options.callTimeout = 200ms;
    options.retryPause = 20ms;
    options.display.activeWindowTitle = [activeTitle] { return activeTitle; };
    return options;
}

FakeAtspiDesktop::Options servicesOptions(bool launcher, bool registry)
{
    FakeAtspiDesktop::Options options;
    options.launcher = launcher;
    options.registry = registry;
    return options;
}

std::optional<std::string> urlOn(FakeAtspiDesktop& desktop,
                                 std::optional<std::string> activeTitle = std::nullopt)
{
    AtspiBrowserUrl browserUrl(optionsFor(desktop.address(), std::move(activeTitle)));
    return browserUrl.currentURL(ownPid(), "firefox-esr");
}

// The showing page of the active window is found, past hidden pages and before its own frames.
TEST(AtspiBrowserUrl, ReadsTheShowingPageOfTheActiveWindow)
{
    FakeAtspiDesktop desktop;
    desktop.addApplication(trees::firefox());
    EXPECT_EQ(urlOn(desktop), "https://example.org/page?q=1#top");
}

// The URL is reported exactly as the browser gives it, never normalised. A later look-up asks
// the window that answered before, as long as it is still the active one.
TEST(AtspiBrowserUrl, FollowsTheTreeAsItChanges)
{
    FakeAtspiDesktop desktop;
    desktop.addApplication(trees::firefox());
    AtspiBrowserUrl browserUrl(optionsFor(desktop.address()));

    EXPECT_EQ(browserUrl.currentURL(ownPid(), "firefox"), "https://example.org/page?q=1#top");
    // Its windows are listed only by a search of the desktop.
    const int searches = desktop.calls(0, QStringLiteral("root.GetChildren"));
    desktop.update(0, [](FakeTree& tree) {
        tree.nodes[QStringLiteral("page")].document->insert(
            QStringLiteral("DocURL"), QStringLiteral(" HTTPS://Example.org/a b?x=%20#Frag "));
    });
    EXPECT_EQ(browserUrl.currentURL(ownPid(), "firefox"), " HTTPS://Example.org/a b?x=%20#Frag ");
    EXPECT_EQ(desktop.calls(0, QStringLiteral("root.GetChildren")), searches);

    // The user brings the other window to the front.
    desktop.update(0, [](FakeTree& tree) {
        tree.nodes[QStringLiteral("window")].states = trees::statesOf({trees::AtspiState::showing});
        tree.nodes[QStringLiteral("old")].states =
            trees::statesOf({trees::AtspiState::active, trees::AtspiState::showing});
    });
    EXPECT_EQ(browserUrl.currentURL(ownPid(), "firefox"), "https://old.example/");
}

struct WindowChoice
{
    const char* name;
    std::vector<std::pair<QString, QString>> windows; // title, page URI
    std::optional<std::string> activeTitle;
    std::optional<std::string> expected;
};

class AtspiBrowserUrlWindowChoice : public testing::TestWithParam<WindowChoice>
{};

// Chromium marks no window active while no assistive technology listens to its events.
TEST_P(AtspiBrowserUrlWindowChoice, PicksTheWindowTheDesktopHasInFront)
{
    const auto& choice = GetParam();
    FakeAtspiDesktop desktop;
    desktop.addApplication(trees::chromium(choice.windows));

    EXPECT_EQ(urlOn(desktop, choice.activeTitle), choice.expected);
}

const std::vector<std::pair<QString, QString>> twoWindows = {
    {QStringLiteral("First - Chromium"), QStringLiteral("https://first.example/")},
    {QStringLiteral("Second - Chromium"), QStringLiteral("https://second.example/")},
};

INSTANTIATE_TEST_SUITE_P(Chromium, AtspiBrowserUrlWindowChoice,
                         testing::Values(WindowChoice{"ActiveTitleNamesTheSecond", twoWindows,
                                                      "Second - Chromium",
                                                      "https://second.example/"},
                                         WindowChoice{"NoActiveTitleAndTwoWindowsIsAmbiguous",
                                                      twoWindows, std::nullopt, std::nullopt},
                                         WindowChoice{"AnotherApplicationInFrontIsAmbiguous",
                                                      twoWindows, "Terminal", std::nullopt},
                                         WindowChoice{"TheOnlyTitledWindow",
                                                      {{QStringLiteral("Only - Chromium"),
                                                        QStringLiteral("https://only.example/")}},
                                                      std::nullopt,
                                                      "https://only.example/"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A Flatpak browser is registered under its bus proxy's pid: then the application is the one
// whose active window bears the active X window's title, and only when just one does.
TEST(AtspiBrowserUrl, WithoutItsPidTheBrowserIsFoundByItsActiveWindowsTitle)
{
    FakeAtspiDesktop desktop;
    desktop.addApplication(trees::chromium(
        {{QStringLiteral("Docs - Chromium"), QStringLiteral("https://docs.example/")}}));
    desktop.addApplication(trees::firefox());
    const auto urlUnder = [&](std::string title) {
        AtspiBrowserUrl browserUrl(optionsFor(desktop.address(), std::move(title)));
        return browserUrl.currentURL(ownPid() + 1, "org.mozilla.firefox");
    };

    EXPECT_EQ(urlUnder("Page — Mozilla Firefox"), "https://example.org/page?q=1#top");
    EXPECT_EQ(urlUnder("Terminal"), std::nullopt);
    desktop.addApplication(trees::firefox(QStringLiteral("https://twin.example/")));
    EXPECT_EQ(urlUnder("Page — Mozilla Firefox"), std::nullopt);
}

// Firefox names the address DocURL, Chromium URI (with an empty DocURL); a document with
// neither has no address.
TEST(AtspiBrowserUrl, ADocumentWithoutAnAddressGivesNoUrl)
{
    FakeAtspiDesktop desktop;
    desktop.addApplication(trees::chromium({{QStringLiteral("Page - Chromium"), QString()}}));
    EXPECT_EQ(urlOn(desktop), std::nullopt);
}

struct WakeCase
{
    const char* name;
    int emptyAfterWake;
    std::optional<std::string> expected;
};

class AtspiBrowserUrlWake : public testing::TestWithParam<WakeCase>
{};

// Chromium builds its tree once its application attributes are read; it may take a moment.
TEST_P(AtspiBrowserUrlWake, WakesTheTreeAndRetriesOnce)
{
    const auto& wake = GetParam();
    FakeAtspiDesktop desktop;
    auto tree = trees::chromium(
        {{QStringLiteral("Page - Chromium"), QStringLiteral("https://woken.example/")}});
    tree.behaviour.asleep = true;
    tree.behaviour.emptyAfterWake = wake.emptyAfterWake;
    desktop.addApplication(std::move(tree));

    EXPECT_EQ(urlOn(desktop), wake.expected);
    EXPECT_GE(desktop.calls(0, QStringLiteral("root.GetAttributes")), 1);
}

INSTANTIATE_TEST_SUITE_P(Chromium, AtspiBrowserUrlWake,
                         testing::Values(WakeCase{"AtOnce", 0, "https://woken.example/"},
                                         WakeCase{"OnTheRetry", 1, "https://woken.example/"},
                                         WakeCase{"Never", 1000, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AtspiBrowserUrl, SkipsApplicationsThatAreGoneOrHaveNoWindowsAndAnswersOnlyForItsPid)
{
    FakeAtspiDesktop desktop;
    desktop.addVanishedApplication();
    FakeTree windowless;
    windowless.add(QStringLiteral("root"), trees::application(QStringLiteral("portal")));
    desktop.addApplication(std::move(windowless));
    desktop.addApplication(trees::firefox());
    AtspiBrowserUrl browserUrl(optionsFor(desktop.address()));

    EXPECT_EQ(browserUrl.currentURL(ownPid(), "firefox"), "https://example.org/page?q=1#top");
    for (const std::int64_t other : {1, 0, -5})
        EXPECT_EQ(browserUrl.currentURL(other, "firefox"), std::nullopt) << other;
}

struct Misbehaviour
{
    const char* name;
    FakeBehaviour behaviour;
    std::optional<std::string> expected;
};

class AtspiBrowserUrlMisbehaviour : public testing::TestWithParam<Misbehaviour>
{};

// A browser that hangs, exits in the middle or answers nonsense costs at most the budget and
// never more than an absent URL; a failed Collection search falls back to the walk.
TEST_P(AtspiBrowserUrlMisbehaviour, DegradesWithoutHarm)
{
    FakeAtspiDesktop desktop;
    auto tree = trees::firefox();
    tree.behaviour = GetParam().behaviour;
    desktop.addApplication(std::move(tree));
    AtspiBrowserUrl browserUrl(optionsFor(desktop.address()));

    EXPECT_EQ(browserUrl.currentURL(ownPid(), "firefox"), GetParam().expected);
    // Still usable afterwards, and still without a crash.
    EXPECT_EQ(browserUrl.currentURL(ownPid(), "firefox"), GetParam().expected);
}

FakeBehaviour behaving(QString FakeBehaviour::*field, const char* method)
{
    FakeBehaviour behaviour;
    behaviour.*field = QString::fromLatin1(method);
    return behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Browsers, AtspiBrowserUrlMisbehaviour,
    testing::Values(
        Misbehaviour{"HangsOnChildren", behaving(&FakeBehaviour::hangOn, "GetChildren"),
                     std::nullopt},
        Misbehaviour{"HangingSearchFallsBackToTheWalk",
                     behaving(&FakeBehaviour::hangOn, "GetMatches"),
                     "https://example.org/page?q=1#top"},
        Misbehaviour{"ExitsOnState", behaving(&FakeBehaviour::exitOn, "GetState"), std::nullopt},
        Misbehaviour{"MalformedChildren", behaving(&FakeBehaviour::malformedOn, "GetChildren"),
                     std::nullopt},
        Misbehaviour{"MalformedState", behaving(&FakeBehaviour::malformedOn, "GetState"),
                     std::nullopt},
        Misbehaviour{"MalformedAttributes", behaving(&FakeBehaviour::malformedOn, "GetAttributes"),
                     std::nullopt},
        Misbehaviour{"MalformedSearchFallsBackToTheWalk",
                     behaving(&FakeBehaviour::malformedOn, "GetMatches"),
                     "https://example.org/page?q=1#top"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AtspiBrowserUrl, NoUrlWithoutTheAccessibilityServices)
{
    FakeAtspiDesktop withoutLauncher(servicesOptions(false, true));
    withoutLauncher.addApplication(trees::firefox());
    EXPECT_EQ(urlOn(withoutLauncher), std::nullopt);

    FakeAtspiDesktop withoutRegistry(servicesOptions(true, false));
    withoutRegistry.addApplication(trees::firefox());
    EXPECT_EQ(urlOn(withoutRegistry), std::nullopt);

    AtspiBrowserUrl noBus(optionsFor(QStringLiteral("unix:path=/nonexistent/ondrel-test-bus")));
    EXPECT_EQ(noBus.currentURL(ownPid(), "firefox"), std::nullopt);
}

TEST(AtspiBrowserUrl, TheBusAddressVariableWinsOverTheLauncher)
{
    FakeAtspiDesktop desktop(servicesOptions(false, true));
    desktop.addApplication(trees::firefox());
    ::setenv("AT_SPI_BUS_ADDRESS", desktop.address().toLocal8Bit().constData(), 1);
    const auto url = urlOn(desktop);
    ::unsetenv("AT_SPI_BUS_ADDRESS");

    EXPECT_EQ(url, "https://example.org/page?q=1#top");
}

} // namespace
} // namespace ondrel::test
