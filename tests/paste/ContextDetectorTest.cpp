#include "PasteTestSupport.h"

#include "paste/ContextDetector.h"

using namespace std::chrono_literals;
using ondrel::paste::ContextDetector;
using ondrel::paste::DetectedContext;
using ondrel::paste::test::PasteTest;
using ondrel::platform::AttributeValue;
using ondrel::platform::ElementRef;
using ondrel::platform::RunningApplication;
namespace AX = ondrel::platform::AXAttribute;
using ondrel::platform::fake::FakeElementPtr;
using ondrel::platform::fake::makeElement;

namespace {

constexpr std::int64_t browserPid = ondrel::paste::test::frontmostPid;

class ContextDetectorTest : public PasteTest
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

// Applications that are not supported browsers (identifiers compare exactly) get no URL and no
// look-up of any kind.
TEST_F(ContextDetectorTest, NotABrowserReportsTheIdentifierWithoutURL)
{
    frontmost("Firefox-ESR");
    scripts->answer("https://example.com/");
    fake.browserUrl().answer(browserPid, "https://example.com/");
    detect();
    settle();
    EXPECT_EQ(result, (DetectedContext{"Firefox-ESR", std::nullopt}));
    EXPECT_TRUE(scripts->sources().empty());
    EXPECT_TRUE(fake.browserUrl().calls().empty());
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
}

// When the answer comes decides whether there is one: the limit is 1.5 s.
struct RaceCase
{
    const char* name;
    std::chrono::milliseconds answerAfter; // negative: never answers
    bool answered;
    std::chrono::milliseconds decidedAt;
};

// Every URL source (script, browser-URL service, address-field search) runs under one race
// against the limit; the browser-URL service stands for all of them.
class URLRace : public ContextDetectorTest, public testing::WithParamInterface<RaceCase>
{};

TEST_P(URLRace, URLIsAbsentPastTheLimit)
{
    frontmost("chromium");
    const auto answerAfter = GetParam().answerAfter;
    if (answerAfter.count() < 0)
        fake.browserUrl().hang(browserPid);
    else
        fake.browserUrl().answer(browserPid, "https://example.com/", answerAfter);
    detect(false);
    settle();
    fake.executor().advance(GetParam().decidedAt - 1ms);
    EXPECT_FALSE(result.has_value());
    fake.executor().advance(1ms);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(decidedAt, GetParam().decidedAt);
    EXPECT_EQ(result->url, GetParam().answered ? std::optional<std::string>("https://example.com/")
                                               : std::nullopt);
    if (GetParam().answered) {
        ASSERT_EQ(fake.browserUrl().calls().size(), 1u);
        EXPECT_EQ(fake.browserUrl().calls()[0].processIdentifier, browserPid);
        EXPECT_EQ(fake.browserUrl().calls()[0].bundleIdentifier, "chromium");
    }
    // Nothing is left waiting for the late answer on the main thread.
    fake.executor().advance(5s);
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Answers, URLRace,
                         testing::Values(RaceCase{"in_time", 1000ms, true, 1000ms},
                                         RaceCase{"after_two_seconds", 2000ms, false, 1500ms},
                                         RaceCase{"never", -1ms, false, 1500ms}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContextDetectorTest, ScriptFailingOrMissingGivesNoURLAtOnce)
{
    frontmost("com.brave.Browser");
    scripts->answer(std::nullopt);
    for (const bool withScripts : {true, false}) {
        m_detector.reset();
        result.reset();
        detect(withScripts);
        settle();
        EXPECT_EQ(result, (DetectedContext{"com.brave.Browser", std::nullopt}));
        EXPECT_EQ(decidedAt, 0ms);
        EXPECT_EQ(fake.executor().pendingTimers(), 0u);
    }
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

// Depth first in child order, the first text field whose value has a web scheme; search
// fields, scheme-less or upper-case values, other roles and values that are not text are
// passed by, and the value is returned unchanged.
TEST_F(AddressFieldSearch, ReturnsTheFirstTextFieldValueWithAScheme)
{
    const auto toolbar = makeElement("AXToolbar");
    const auto searchField = makeElement("AXTextField", "kittens");
    searchField->addChild(makeElement("AXStaticText", "https://decoy.example/"));
    toolbar->addChild(searchField);
    const auto notText = makeElement("AXTextField");
    notText->set(AX::value, ondrel::platform::OtherAttributeValue{});
    toolbar->addChild(notText);
    window->addChild(toolbar);
    window->addChild(makeElement("AXTextField", "example.com/path"));
    window->addChild(makeElement("AXTextField", "HTTPS://EXAMPLE.COM/"));
    window->addChild(makeElement("AXStaticText", "https://label.example/"));
    const auto oddRole = makeElement("AXGroup");
    oddRole->set(AX::role, ondrel::platform::OtherAttributeValue{});
    oddRole->addChild(makeElement("AXTextField", "http://example.com/ spaced "));
    window->addChild(oddRole);
    window->addChild(makeElement("AXTextField", "https://second.example/"));
    EXPECT_EQ(search(), "http://example.com/ spaced ");
    EXPECT_GT(fake.accessibility().readCount(searchField), 1); // its children were searched
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
                         testing::Values(BreadthCase{25, 20, true}, BreadthCase{25, 21, false}));

TEST_F(AddressFieldSearch, NoInstanceUntrustedReadsOrNoFocusedWindowGiveNoURL)
{
    window->addChild(makeElement("AXTextField", "https://example.com/"));
    fake.workspace().setRunningApplications({});
    EXPECT_EQ(search(), std::nullopt);
    EXPECT_EQ(decidedAt, 0ms); // nothing to wait for
    frontmost("org.mozilla.firefoxdeveloperedition");
    fake.accessibility().setTrusted(false);
    result.reset();
    EXPECT_EQ(search(), std::nullopt);
    fake.accessibility().setTrusted(true);
    application->set(AX::focusedWindow, std::monostate{});
    result.reset();
    EXPECT_EQ(search(), std::nullopt);
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

TEST_F(AddressFieldSearch, IsTheFallBackOfALinuxBrowser)
{
    frontmost("org.mozilla.firefox");
    window->addChild(makeElement("AXTextField", "https://fallback.example/"));
    fake.browserUrl().failAtOnce(browserPid);
    EXPECT_EQ(search(), "https://fallback.example/");
    EXPECT_EQ(fake.browserUrl().calls().size(), 1u);
}

// While the shortcut's modifiers are held the context is read ahead; the press then asks the
// display one question (the same window?) and neither the application nor the browser again.
TEST_F(ContextDetectorTest, APressUsesTheContextReadAheadForTheSameWindow)
{
    frontmost("firefox-esr");
    fake.browserUrl().answer(browserPid, "https://ahead.example/");
    detector().prepareContext();
    settle();
    fake.browserUrl().answer(browserPid, "https://later.example/");
    fake.executor().advance(ContextDetector::preparedLifetime);
    const auto before = fake.executor().elapsed();
    detect();
    EXPECT_EQ(result, (DetectedContext{"firefox-esr", "https://ahead.example/"}));
    EXPECT_EQ(decidedAt, before);
    EXPECT_EQ(fake.browserUrl().calls().size(), 1u);
    EXPECT_EQ(fake.workspace().frontmostQueryCount(), 1);

    // It serves one press only.
    detect();
    settle();
    EXPECT_EQ(result, (DetectedContext{"firefox-esr", "https://later.example/"}));
}

TEST_F(ContextDetectorTest, APressWaitsForAReadAheadStillUnderWay)
{
    frontmost("chromium");
    fake.browserUrl().answer(browserPid, "https://ahead.example/", 300ms);
    detector().prepareContext();
    settle();
    fake.executor().advance(100ms);
    fake.browserUrl().answer(browserPid, "https://later.example/");
    detect();
    settle();
    EXPECT_FALSE(result.has_value());
    fake.executor().advance(200ms);
    EXPECT_EQ(result, (DetectedContext{"chromium", "https://ahead.example/"}));
    EXPECT_EQ(fake.browserUrl().calls().size(), 1u);
}

// What the user did between reading ahead and the press decides whether the press asks again.
enum class Meanwhile
{
    anotherWindowInFront,
    anotherPageOrTab, // the same window's title changed
    tooLongAgo,
    somethingElsePressed,
    nothingFoundAhead,
};

class ReadAheadNotUsed : public ContextDetectorTest, public testing::WithParamInterface<Meanwhile>
{};

TEST_P(ReadAheadNotUsed, ThePressReadsTheURLAgain)
{
    frontmost("firefox-esr");
    if (GetParam() == Meanwhile::nothingFoundAhead)
        fake.browserUrl().failAtOnce(browserPid);
    else
        fake.browserUrl().answer(browserPid, "https://ahead.example/");
    detector().prepareContext();
    settle();
    switch (GetParam()) {
    case Meanwhile::anotherWindowInFront:
        fake.workspace().setFrontmostWindow({2, {}});
        break;
    case Meanwhile::anotherPageOrTab:
        fake.workspace().setFrontmostWindow({1, "Another page — Mozilla Firefox"});
        break;
    case Meanwhile::tooLongAgo:
        fake.executor().advance(ContextDetector::preparedLifetime + 1ms);
        break;
    case Meanwhile::somethingElsePressed:
        detector().dropPreparedContext();
        break;
    case Meanwhile::nothingFoundAhead:
        break;
    }
    fake.browserUrl().answer(browserPid, "https://now.example/");
    detect();
    settle();
    EXPECT_EQ(result, (DetectedContext{"firefox-esr", "https://now.example/"}));
    EXPECT_EQ(fake.browserUrl().calls().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Meanwhile, ReadAheadNotUsed,
                         testing::Values(Meanwhile::anotherWindowInFront,
                                         Meanwhile::anotherPageOrTab, Meanwhile::tooLongAgo,
                                         Meanwhile::somethingElsePressed,
                                         Meanwhile::nothingFoundAhead));

} // namespace
