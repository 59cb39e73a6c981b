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

const auto ownPid = static_cast<std::int64_t>(::getpid());

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

std::optional<std::string> urlOn(FakeAtspiDesktop& desktop,
                                 std::optional<std::string> activeTitle = std::nullopt)
{
    AtspiBrowserUrl browserUrl(optionsFor(desktop.address(), std::move(activeTitle)));
    return browserUrl.currentURL(ownPid, "firefox-esr");
}

// The showing page of the active window is found, past hidden pages and before its own frames.
// The URL is reported exactly as the browser gives it, never normalised. A later look-up asks
// the window and the page that answered before, without a search, as long as the window is the
// active one and the page is showing.
TEST(AtspiBrowserUrl, FollowsTheTreeAsItChanges)
{
    FakeAtspiDesktop desktop;
    desktop.addApplication(trees::firefox());
    AtspiBrowserUrl browserUrl(optionsFor(desktop.address()));

    EXPECT_EQ(browserUrl.currentURL(ownPid, "firefox"), "https://example.org/page?q=1#top");
    // A search lists the desktop's windows, or the window's showing documents.
    const int searches =
        desktop.calls(0, "root.GetChildren") + desktop.calls(0, "window.GetMatches");
    desktop.update(0, [](FakeTree& tree) {
        tree.nodes["page"].document->insert("DocURL", " HTTPS://Example.org/a b?x=%20#Frag ");
    });
    EXPECT_EQ(browserUrl.currentURL(ownPid, "firefox"), " HTTPS://Example.org/a b?x=%20#Frag ");
    EXPECT_EQ(desktop.calls(0, "root.GetChildren") + desktop.calls(0, "window.GetMatches"),
              searches);

    // Another tab comes to the front: the page we knew is hidden, with its frame.
    desktop.update(0, [](FakeTree& tree) {
        tree.nodes["page"].states = 0;
        tree.nodes["iframe"].states = 0;
        tree.add("tab", trees::document("https://tab.example/", {}), "pane");
    });
    EXPECT_EQ(browserUrl.currentURL(ownPid, "firefox"), "https://tab.example/");

    // The user brings the other window to the front.
    desktop.update(0, [](FakeTree& tree) {
        tree.nodes["window"].states = trees::statesOf({trees::AtspiState::showing});
        tree.nodes["old"].states =
            trees::statesOf({trees::AtspiState::active, trees::AtspiState::showing});
    });
    EXPECT_EQ(browserUrl.currentURL(ownPid, "firefox"), "https://old.example/");
}

// Chromium marks no window active while no assistive technology listens to its events: the
// window is the one whose title the desktop has in front, or the only one with a title.
// Chromium names the address URI (with an empty DocURL); a document without one has none.
TEST(AtspiBrowserUrl, PicksTheChromiumWindowTheDesktopHasInFront)
{
    const std::vector<std::pair<QString, QString>> twoWindows = {
        {"First - Chromium", "https://first.example/"},
        {"Second - Chromium", "https://second.example/"},
    };
    const auto urlAmong = [](const std::vector<std::pair<QString, QString>>& windows,
                             std::optional<std::string> activeTitle) {
        FakeAtspiDesktop desktop;
        desktop.addApplication(trees::chromium(windows));
        return urlOn(desktop, std::move(activeTitle));
    };
    EXPECT_EQ(urlAmong(twoWindows, "Second - Chromium"), "https://second.example/");
    EXPECT_EQ(urlAmong(twoWindows, std::nullopt), std::nullopt);
    EXPECT_EQ(urlAmong(twoWindows, "Terminal"), std::nullopt);
    EXPECT_EQ(urlAmong({twoWindows[0]}, std::nullopt), "https://first.example/");
    EXPECT_EQ(urlAmong({{"Page - Chromium", QString()}}, std::nullopt), std::nullopt);
}

// A Flatpak browser is registered under its bus proxy's pid: then the application is the one
// whose active window bears the active X window's title, and only when just one does.
TEST(AtspiBrowserUrl, WithoutItsPidTheBrowserIsFoundByItsActiveWindowsTitle)
{
    FakeAtspiDesktop desktop;
    desktop.addApplication(trees::chromium({{"Docs - Chromium", "https://docs.example/"}}));
    desktop.addApplication(trees::firefox());
    const auto urlUnder = [&](std::string title) {
        AtspiBrowserUrl browserUrl(optionsFor(desktop.address(), std::move(title)));
        return browserUrl.currentURL(ownPid + 1, "org.mozilla.firefox");
    };

    EXPECT_EQ(urlUnder("Page — Mozilla Firefox"), "https://example.org/page?q=1#top");
    EXPECT_EQ(urlUnder("Terminal"), std::nullopt);
    desktop.addApplication(trees::firefox("https://twin.example/"));
    EXPECT_EQ(urlUnder("Page — Mozilla Firefox"), std::nullopt);
}

// Chromium builds its tree once its application attributes are read; it may take a moment, so
// an empty tree is asked once more.
TEST(AtspiBrowserUrl, WakesTheTreeAndRetriesOnce)
{
    for (const auto& [emptyAfterWake, expected] :
         {std::pair<int, std::optional<std::string>>{1, "https://woken.example/"},
          {1000, std::nullopt}}) {
        SCOPED_TRACE(emptyAfterWake);
        FakeAtspiDesktop desktop;
        auto tree = trees::chromium({{"Page - Chromium", "https://woken.example/"}});
        tree.behaviour.asleep = true;
        tree.behaviour.emptyAfterWake = emptyAfterWake;
        desktop.addApplication(std::move(tree));
        EXPECT_EQ(urlOn(desktop), expected);
    }
}

TEST(AtspiBrowserUrl, SkipsApplicationsThatAreGoneOrHaveNoWindowsAndAnswersOnlyForItsPid)
{
    FakeAtspiDesktop desktop;
    desktop.addVanishedApplication();
    FakeTree windowless;
    windowless.add("root", trees::application("portal"));
    desktop.addApplication(std::move(windowless));
    desktop.addApplication(trees::firefox());
    AtspiBrowserUrl browserUrl(optionsFor(desktop.address()));

    EXPECT_EQ(browserUrl.currentURL(ownPid, "firefox"), "https://example.org/page?q=1#top");
    for (const std::int64_t other : {1, 0, -5})
        EXPECT_EQ(browserUrl.currentURL(other, "firefox"), std::nullopt) << other;
}

// A browser that hangs, exits in the middle or answers nonsense costs at most the budget and
// never more than an absent URL, and the look-up stays usable; a failed search falls back to
// the walk.
TEST(AtspiBrowserUrl, AMisbehavingBrowserDegradesWithoutHarm)
{
    const std::optional<std::string> page = "https://example.org/page?q=1#top";
    for (const auto& [field, method, expected] :
         {std::tuple{&FakeBehaviour::hangOn, "GetChildren", std::optional<std::string>()},
          {&FakeBehaviour::hangOn, "GetMatches", page},
          {&FakeBehaviour::exitOn, "GetState", std::nullopt},
          {&FakeBehaviour::malformedOn, "GetState", std::nullopt}}) {
        SCOPED_TRACE(method);
        FakeAtspiDesktop desktop;
        auto tree = trees::firefox();
        tree.behaviour.*field = QString::fromLatin1(method);
        desktop.addApplication(std::move(tree));
        AtspiBrowserUrl browserUrl(optionsFor(desktop.address()));
        EXPECT_EQ(browserUrl.currentURL(ownPid, "firefox"), expected);
        EXPECT_EQ(browserUrl.currentURL(ownPid, "firefox"), expected);
    }
}

// Without the launcher the bus address comes from AT_SPI_BUS_ADDRESS, or there is no URL.
TEST(AtspiBrowserUrl, NoUrlWithoutTheAccessibilityServices)
{
    FakeAtspiDesktop withoutRegistry({.registry = false});
    withoutRegistry.addApplication(trees::firefox());
    EXPECT_EQ(urlOn(withoutRegistry), std::nullopt);

    AtspiBrowserUrl noBus(optionsFor("unix:path=/nonexistent/ondrel-test-bus"));
    EXPECT_EQ(noBus.currentURL(ownPid, "firefox"), std::nullopt);

    FakeAtspiDesktop withoutLauncher({.launcher = false});
    withoutLauncher.addApplication(trees::firefox());
    EXPECT_EQ(urlOn(withoutLauncher), std::nullopt);
    ::setenv("AT_SPI_BUS_ADDRESS", withoutLauncher.address().toLocal8Bit().constData(), 1);
    const auto url = urlOn(withoutLauncher);
    ::unsetenv("AT_SPI_BUS_ADDRESS");
    EXPECT_EQ(url, "https://example.org/page?q=1#top");
}

} // namespace
} // namespace ondrel::test
