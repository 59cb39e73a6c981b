#include "PasteTestSupport.h"

#include "paste/ContextDetector.h"

#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using ondrel::paste::ContextDetector;
using ondrel::paste::DetectedContext;
using ondrel::paste::test::FakeScriptRunner;
using ondrel::platform::AttributeValue;
using ondrel::platform::ElementRef;
using ondrel::platform::RunningApplication;
namespace AX = ondrel::platform::AXAttribute;
using ondrel::platform::fake::FakeElementPtr;
using ondrel::platform::fake::makeElement;

namespace {

constexpr std::int64_t browserPid = 4242;

class ContextDetectorTest : public testing::Test
{
protected:
    ContextDetector& detector(bool withScripts = true)
    {
        if (!m_detector) {
            m_detector.emplace(ContextDetector::Services{fake.executor(), fake.workspace(),
                                                         fake.accessibility(), fake.browserUrl(),
                                                         withScripts ? scripts : nullptr});
        }
        return *m_detector;
    }

    void frontmost(std::optional<std::string> bundleID, std::int64_t pid = browserPid)
    {
        RunningApplication application;
        application.bundleIdentifier = std::move(bundleID);
        application.processIdentifier = pid;
        fake.workspace().setFrontmostApplication(application);
        fake.workspace().setRunningApplications({application});
    }

    // Starts a detection; the result lands in result with the virtual time it arrived at.
    void detect(bool withScripts = true)
    {
        detector(withScripts).detectContext([this](DetectedContext context) {
            result = std::move(context);
            decidedAt = fake.executor().elapsed();
        });
    }

    // Runs what is due now; detections that need no wait are over afterwards.
    void settle() { fake.executor().runUntilIdle(); }

    ondrel::platform::fake::FakePlatform fake;
    std::shared_ptr<FakeScriptRunner> scripts = std::make_shared<FakeScriptRunner>(fake.executor());
    std::optional<ContextDetector> m_detector;
    std::optional<DetectedContext> result;
    std::chrono::steady_clock::duration decidedAt{};
};

TEST_F(ContextDetectorTest, NoFrontmostApplicationOrNoIdentifierIsUnknown)
{
    fake.workspace().setFrontmostApplication(std::nullopt);
    detect();
    settle();
    EXPECT_EQ(result, (DetectedContext{"unknown", std::nullopt}));
    frontmost(std::nullopt);
    detect();
    settle();
    EXPECT_EQ(result, (DetectedContext{"unknown", std::nullopt}));
}

// Applications that are not supported browsers get no URL and no look-up of any kind.
class NotABrowser : public ContextDetectorTest, public testing::WithParamInterface<const char*>
{};

TEST_P(NotABrowser, ReportsTheIdentifierWithoutURL)
{
    frontmost(GetParam());
    scripts->answer("https://example.com/");
    fake.browserUrl().answer(browserPid, "https://example.com/");
    detect();
    settle();
    EXPECT_EQ(result, (DetectedContext{GetParam(), std::nullopt}));
    EXPECT_TRUE(scripts->sources().empty());
    EXPECT_TRUE(fake.browserUrl().calls().empty());
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Applications, NotABrowser,
                         testing::Values("org.gnome.TextEditor", "com.google.chrome", "Firefox-ESR",
                                         "wmclass:XTerm", "*"));

// Firefox has no script (its URL comes from the address-field search); every script belongs
// to a supported browser.
TEST_F(ContextDetectorTest, ScriptTableIsASubsetOfTheBrowsersWithoutFirefox)
{
    EXPECT_FALSE(ContextDetector::browserScripts().contains("org.mozilla.firefox"));
    for (const auto& [id, script] : ContextDetector::browserScripts())
        EXPECT_TRUE(ContextDetector::supportedBrowsers().contains(id)) << id;
}

TEST_F(ContextDetectorTest, SafariURLComesFromItsScriptUnchanged)
{
    frontmost("com.apple.Safari");
    scripts->answer(" https://example.com/a?b#c ");
    detect();
    settle();
    EXPECT_EQ(result, (DetectedContext{"com.apple.Safari", " https://example.com/a?b#c "}));
    ASSERT_EQ(scripts->sources().size(), 1u);
    EXPECT_EQ(scripts->sources()[0], ContextDetector::browserScripts().at("com.apple.Safari"));
}

// When the answer comes decides whether there is one: the limit is 1.5 s.
struct RaceCase
{
    const char* name;
    std::chrono::milliseconds answerAfter; // negative: never answers
    bool answered;
    std::chrono::milliseconds decidedAt;
};

class ScriptRace : public ContextDetectorTest, public testing::WithParamInterface<RaceCase>
{
protected:
    // The same limit binds the macOS script and the Linux browser URL service.
    void race(bool viaScript)
    {
        frontmost(viaScript ? "com.google.Chrome" : "chromium");
        const auto answerAfter = GetParam().answerAfter;
        if (answerAfter.count() < 0)
            viaScript ? scripts->hang() : fake.browserUrl().hang(browserPid);
        else if (viaScript)
            scripts->answer("https://example.com/", answerAfter);
        else
            fake.browserUrl().answer(browserPid, "https://example.com/", answerAfter);
        detect(viaScript);
        settle();
        fake.executor().advance(GetParam().decidedAt - 1ms);
        EXPECT_FALSE(result.has_value());
        fake.executor().advance(1ms);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(decidedAt, GetParam().decidedAt);
        EXPECT_EQ(result->url.has_value(), GetParam().answered);
        // Nothing is left waiting for the late answer on the main thread.
        fake.executor().advance(5s);
        EXPECT_EQ(fake.executor().pendingTimers(), 0u);
    }
};

TEST_P(ScriptRace, URLIsAbsentPastTheLimit)
{
    race(true);
}
TEST_P(ScriptRace, LinuxBrowserIsBoundByTheSameLimit)
{
    race(false);
}

INSTANTIATE_TEST_SUITE_P(Answers, ScriptRace,
                         testing::Values(RaceCase{"in_time", 1000ms, true, 1000ms},
                                         RaceCase{"after_two_seconds", 2000ms, false, 1500ms},
                                         RaceCase{"never", -1ms, false, 1500ms}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContextDetectorTest, ScriptFailingAtOnceGivesNoURLAtOnce)
{
    frontmost("com.brave.Browser");
    scripts->answer(std::nullopt);
    detect();
    settle();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, (DetectedContext{"com.brave.Browser", std::nullopt}));
    EXPECT_EQ(decidedAt, 0ms);
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
}

TEST_F(ContextDetectorTest, ScriptBrowserWithoutScriptRunnerGivesNoURLAtOnce)
{
    frontmost("com.apple.Safari");
    detect(false);
    settle();
    EXPECT_EQ(result, (DetectedContext{"com.apple.Safari", std::nullopt}));
    EXPECT_EQ(decidedAt, 0ms);
}

TEST_F(ContextDetectorTest, LinuxBrowserAnswersThroughTheBrowserURLService)
{
    frontmost("firefox-esr");
    fake.browserUrl().answer(browserPid, "http://127.0.0.1:8000/page", 300ms);
    detect(false);
    settle();
    fake.executor().advance(300ms);
    EXPECT_EQ(result, (DetectedContext{"firefox-esr", "http://127.0.0.1:8000/page"}));
    EXPECT_EQ(decidedAt, 300ms);
    ASSERT_EQ(fake.browserUrl().calls().size(), 1u);
    EXPECT_EQ(fake.browserUrl().calls()[0].processIdentifier, browserPid);
    EXPECT_EQ(fake.browserUrl().calls()[0].bundleIdentifier, "firefox-esr");
}

// The address-field search over a window's element tree (Firefox on macOS; the fall-back of
// the Linux browsers).
class AddressFieldSearch : public ContextDetectorTest
{
protected:
    AddressFieldSearch()
    {
        frontmost("org.mozilla.firefoxdeveloperedition");
        application->set(AX::focusedWindow, ElementRef(window));
        fake.accessibility().setApplication(browserPid, application);
    }

    std::optional<std::string> search()
    {
        detect();
        settle();
        fake.executor().advance(2s);
        return result ? result->url : std::optional<std::string>("<not decided>");
    }

    FakeElementPtr application = makeElement("AXApplication");
    FakeElementPtr window = makeElement("AXWindow");
};

TEST_F(AddressFieldSearch, PassesASearchFieldByAndReturnsTheAddress)
{
    const auto toolbar = makeElement("AXToolbar");
    const auto searchField = makeElement("AXTextField", "kittens");
    searchField->addChild(makeElement("AXStaticText", "https://decoy.example/"));
    toolbar->addChild(searchField);
    toolbar->addChild(makeElement("AXTextField", "https://example.com/x"));
    window->addChild(toolbar);
    EXPECT_EQ(search(), "https://example.com/x");
    // The search field's children were searched on the way.
    EXPECT_GT(fake.accessibility().readCount(searchField), 1);
}

TEST_F(AddressFieldSearch, ReturnsTheFirstQualifyingValueUnchanged)
{
    window->addChild(makeElement("AXGroup"));
    window->addChild(makeElement("AXTextField", "http://example.com/ spaced "));
    window->addChild(makeElement("AXTextField", "https://second.example/"));
    EXPECT_EQ(search(), "http://example.com/ spaced ");
}

TEST_F(AddressFieldSearch, AddressWithoutSchemeIsNoURL)
{
    window->addChild(makeElement("AXTextField", "example.com/path"));
    window->addChild(makeElement("AXTextField", "HTTPS://EXAMPLE.COM/"));
    window->addChild(makeElement("AXStaticText", "https://label.example/"));
    EXPECT_EQ(search(), std::nullopt);
}

TEST_F(AddressFieldSearch, ValuesThatAreNotTextArePassedBy)
{
    const auto field = makeElement("AXTextField");
    field->set(AX::value, ondrel::platform::OtherAttributeValue{});
    window->addChild(field);
    const auto oddRole = makeElement("AXGroup");
    oddRole->set(AX::role, ondrel::platform::OtherAttributeValue{});
    oddRole->addChild(makeElement("AXTextField", "https://found.example/"));
    window->addChild(oddRole);
    EXPECT_EQ(search(), "https://found.example/");
}

struct BreadthCase
{
    std::size_t children;
    std::size_t leadingChild; // 1-based
    bool found;
};

class SearchBreadth : public AddressFieldSearch, public testing::WithParamInterface<BreadthCase>
{};

TEST_P(SearchBreadth, LooksAtTheFirstTwentyChildrenOnly)
{
    for (std::size_t i = 1; i <= GetParam().children; ++i) {
        const auto child = makeElement("AXGroup");
        if (i == GetParam().leadingChild)
            child->addChild(makeElement("AXTextField", "https://example.com/"));
        window->addChild(child);
    }
    EXPECT_EQ(search().has_value(), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Children, SearchBreadth,
                         testing::Values(BreadthCase{25, 22, false}, BreadthCase{25, 20, true},
                                         BreadthCase{25, 21, false}, BreadthCase{3, 3, true}));

TEST_F(AddressFieldSearch, NoFocusedWindowIsNoURL)
{
    application->set(AX::focusedWindow, std::monostate{});
    EXPECT_EQ(search(), std::nullopt);
}

TEST_F(AddressFieldSearch, UntrustedReadsGiveNoURL)
{
    window->addChild(makeElement("AXTextField", "https://example.com/"));
    fake.accessibility().setTrusted(false);
    EXPECT_EQ(search(), std::nullopt);
}

TEST_F(AddressFieldSearch, NoRunningInstanceGivesNoURLAtOnce)
{
    window->addChild(makeElement("AXTextField", "https://example.com/"));
    fake.workspace().setRunningApplications({});
    detect();
    settle();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->url, std::nullopt);
    EXPECT_EQ(decidedAt, 0ms);
}

TEST_F(AddressFieldSearch, UsesTheFirstRunningInstance)
{
    const auto otherApplication = makeElement("AXApplication");
    const auto otherWindow = makeElement("AXWindow");
    otherWindow->addChild(makeElement("AXTextField", "https://first.example/"));
    otherApplication->set(AX::focusedWindow, ElementRef(otherWindow));
    fake.accessibility().setApplication(7, otherApplication);
    window->addChild(makeElement("AXTextField", "https://frontmost.example/"));
    RunningApplication first;
    first.bundleIdentifier = "org.mozilla.firefoxdeveloperedition";
    first.processIdentifier = 7;
    RunningApplication second = first;
    second.processIdentifier = browserPid;
    fake.workspace().setRunningApplications({first, second});
    EXPECT_EQ(search(), "https://first.example/");
}

TEST_F(AddressFieldSearch, HangingApplicationIsAbandonedAtTheLimit)
{
    fake.accessibility().setApplicationHangs(browserPid);
    detect();
    settle();
    fake.executor().advance(1500ms);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->url, std::nullopt);
    EXPECT_EQ(decidedAt, 1500ms);
}

TEST_F(AddressFieldSearch, CyclicTreeEndsWithoutURL)
{
    const auto loop = makeElement("AXGroup");
    loop->addChild(loop);
    window->addChild(loop);
    EXPECT_EQ(search(), std::nullopt);
    EXPECT_LE(fake.accessibility().readCount(loop),
              static_cast<int>(3 * ContextDetector::maximumElementsSearched));
    loop->set(AX::children, std::monostate{}); // break the ownership cycle
}

TEST_F(ContextDetectorTest, LinuxBrowserFallsBackToTheAddressFieldSearch)
{
    frontmost("org.mozilla.firefox");
    const auto application = makeElement("AXApplication");
    const auto window = makeElement("AXWindow");
    window->addChild(makeElement("AXTextField", "https://fallback.example/"));
    application->set(AX::focusedWindow, ElementRef(window));
    fake.accessibility().setApplication(browserPid, application);
    fake.browserUrl().failAtOnce(browserPid);
    detect(false);
    settle();
    EXPECT_EQ(result, (DetectedContext{"org.mozilla.firefox", "https://fallback.example/"}));
    EXPECT_EQ(fake.browserUrl().calls().size(), 1u);
}

} // namespace
