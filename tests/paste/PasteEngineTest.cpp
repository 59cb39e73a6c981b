#include "PasteTestSupport.h"

#include "paste/PasteEngine.h"

using namespace std::chrono_literals;
using ondrel::paste::PasteEngine;
using ondrel::platform::PasteboardEntry;
using ondrel::platform::PasteboardItem;
using ondrel::platform::PasteboardRead;
using ondrel::platform::PasteKeystroke;
using ondrel::platform::fake::FakePasteboard;
using ondrel::rules::RuleContentType;
using Change = FakePasteboard::Change;
using ondrel::paste::test::entry;

namespace {

const std::string plainType(ondrel::platform::PasteboardType::string);
const std::string rtfType(ondrel::platform::PasteboardType::rtf);
const std::string htmlType(ondrel::platform::PasteboardType::html);
const PasteboardEntry secretHint = FakePasteboard::textEntry(
    std::string(ondrel::platform::PasteboardType::passwordManagerHint), "secret");

class PasteEngineTest : public ondrel::paste::test::PasteTest
{
protected:
    PasteEngineTest()
    {
        engine.emplace(PasteEngine::Services{fake.executor(), fake.accessibility(),
                                             fake.pasteboard(), fake.keyboardEvents(),
                                             fake.userNotifications()});
    }

    void paste(const std::string& content, RuleContentType type = RuleContentType::plainText,
               const std::string& targetApp = "org.gnome.TextEditor")
    {
        engine->paste(content, type, targetApp, [this] {
            ++doneCount;
            doneAt = fake.executor().elapsed();
        });
    }

    std::optional<PasteEngine> engine;
    int doneCount = 0;
    std::chrono::steady_clock::duration doneAt{};
    FakePasteboard& pasteboard = fake.pasteboard();
};

TEST_F(PasteEngineTest, PlainTextIsPastedAndThePreviousContentComesBack)
{
    const PasteboardItem before{entry(plainType, "old"), entry("image/png", "\x89PNG\r\n\0x")};
    pasteboard.setItems({before});

    paste("Hello, world");
    const std::vector<PasteboardItem> pasted{{entry(plainType, "Hello, world"), secretHint}};
    EXPECT_EQ(pasteboard.currentItems(), pasted);

    fake.executor().advance(49ms);
    EXPECT_TRUE(fake.keyboardEvents().keystrokes().empty());
    fake.executor().advance(1ms);
    ASSERT_EQ(fake.keyboardEvents().keystrokes().size(), 1u);
    EXPECT_EQ(fake.keyboardEvents().keystrokes()[0].pasted, pasted);
    EXPECT_EQ(fake.keyboardEvents().keystrokes()[0].keystroke, PasteKeystroke::standard);

    fake.executor().advance(199ms);
    EXPECT_EQ(doneCount, 0);
    fake.executor().advance(1ms);
    EXPECT_EQ(doneCount, 1);
    EXPECT_EQ(pasteboard.currentItems(), std::vector<PasteboardItem>{before});
}

// An empty pasteboard is cleared again; several items come back as one, with the later bytes of
// a type they share.
TEST_F(PasteEngineTest, EmptyOrSeveralItemsComeBackAsThePasteboardCanHoldThem)
{
    paste("x");
    fake.executor().advance(1s);
    EXPECT_TRUE(pasteboard.currentItems().empty());
    EXPECT_EQ(pasteboard.history().back().kind, Change::Kind::clear);

    pasteboard.setItems({{entry("text/uri-list", "file:///a"), entry(plainType, "a")},
                         {entry("text/uri-list", "file:///b"), entry("x-special/files", "b")}});
    paste("x");
    fake.executor().advance(1s);
    EXPECT_EQ(
        pasteboard.currentItems(),
        (std::vector<PasteboardItem>{{entry("text/uri-list", "file:///b"), entry(plainType, "a"),
                                      entry("x-special/files", "b")}}));
}

struct ContentCase
{
    const char* name;
    RuleContentType type;
    std::string content;
    PasteboardItem item;
};

class ContentFlavours : public PasteEngineTest, public testing::WithParamInterface<ContentCase>
{};

TEST_P(ContentFlavours, PasteboardCarriesTheRightTypes)
{
    paste(GetParam().content, GetParam().type);
    EXPECT_EQ(pasteboard.currentItems(), std::vector<PasteboardItem>{GetParam().item});
}

INSTANTIATE_TEST_SUITE_P(
    Contents, ContentFlavours,
    testing::Values(ContentCase{"plain",
                                RuleContentType::plainText,
                                "caf\u00e9 {\\rtf1 x}",
                                {entry(plainType, "caf\u00e9 {\\rtf1 x}"), secretHint}},
                    ContentCase{"valid_rtf",
                                RuleContentType::richText,
                                "{\\rtf1\\ansi {\\b Bold}\\par x}",
                                {entry(rtfType, "{\\rtf1\\ansi {\\b Bold}\\par x}"),
                                 entry(htmlType, "<meta charset=\"utf-8\"><b>Bold</b><br>x"),
                                 entry(plainType, "Bold\nx"), secretHint}},
                    ContentCase{"rejected_rtf",
                                RuleContentType::richText,
                                "<b>not rtf</b>",
                                {entry(rtfType, "<b>not rtf</b>"), secretHint}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasteEngineTest, WithoutTrustOnlyANotificationIsShown)
{
    pasteboard.setItems({{entry(plainType, "mine")}});
    fake.accessibility().setTrusted(false);
    paste("x");
    EXPECT_EQ(doneCount, 1);
    EXPECT_EQ(doneAt, 0ms);
    fake.executor().advance(1s);
    EXPECT_TRUE(pasteboard.history().empty());
    EXPECT_TRUE(fake.keyboardEvents().keystrokes().empty());
    ASSERT_EQ(fake.userNotifications().delivered().size(), 1u);
    EXPECT_EQ(fake.userNotifications().delivered()[0].identifier, "accessibility-required");
}

TEST_F(PasteEngineTest, TerminalsGetTheirOwnPasteKeystroke)
{
    paste("ls", RuleContentType::plainText, "org.gnome.Terminal");
    fake.executor().advance(1s);
    ASSERT_EQ(fake.keyboardEvents().keystrokes().size(), 1u);
    EXPECT_EQ(fake.keyboardEvents().keystrokes()[0].keystroke, PasteKeystroke::terminal);
}

TEST_F(PasteEngineTest, ACopyMadeDuringThePasteIsNeverOverwritten)
{
    const std::vector<PasteboardItem> mine{{entry(plainType, "mine")}};
    const std::vector<PasteboardItem> newer{{entry(plainType, "copied meanwhile")}};
    for (const auto copiedAfter : {0ms, 100ms, 249ms}) {
        pasteboard.setItems(mine);
        pasteboard.clearHistory();
        paste("x");
        fake.executor().advance(copiedAfter);
        pasteboard.setItems(newer);
        fake.executor().advance(1s);
        EXPECT_EQ(pasteboard.currentItems(), newer) << copiedAfter.count();
        EXPECT_EQ(pasteboard.history().size(), 2u) << "only the paste's own clear and write";
    }
    EXPECT_EQ(doneCount, 3);
}

struct SnapshotCase
{
    const char* name;
    PasteboardRead ownerAnswers;
    bool pasted;
    std::vector<PasteboardItem> afterwards;
};

class SnapshotReads : public PasteEngineTest, public testing::WithParamInterface<SnapshotCase>
{};

// The user's clipboard is either restored whole, unreachable from the start, or left with its
// owner; never half restored.
TEST_P(SnapshotReads, DecideWhetherThePasteGoesAhead)
{
    pasteboard.setItems({{entry(plainType, "mine"), entry("image/png", "png")}});
    pasteboard.setOwnerAnswers(GetParam().ownerAnswers);
    paste("x");
    EXPECT_EQ(doneCount, GetParam().pasted ? 0 : 1);
    fake.executor().advance(1s);
    EXPECT_EQ(doneCount, 1);
    EXPECT_EQ(fake.keyboardEvents().keystrokes().size(), GetParam().pasted ? 1u : 0u);
    EXPECT_EQ(pasteboard.currentItems(), GetParam().afterwards);
    const auto& shown = fake.userNotifications().delivered();
    EXPECT_EQ(shown.size(), GetParam().pasted ? 0u : 1u);
    if (!shown.empty()) {
        EXPECT_EQ(shown[0].identifier, PasteEngine::unsafeNotificationIdentifier);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Owners, SnapshotReads,
    testing::Values(SnapshotCase{"complete",
                                 PasteboardRead::complete,
                                 true,
                                 {{entry(plainType, "mine"), entry("image/png", "png")}}},
                    SnapshotCase{"silent", PasteboardRead::ownerSilent, true, {}},
                    SnapshotCase{"stopped_midway",
                                 PasteboardRead::interrupted,
                                 false,
                                 {{entry(plainType, "mine"), entry("image/png", "png")}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasteEngineTest, FailedKeystrokeStillRestoresOnTime)
{
    pasteboard.setItems({{entry(plainType, "mine")}});
    fake.keyboardEvents().setFails(true);
    paste("x");
    fake.executor().advance(250ms);
    EXPECT_EQ(doneCount, 1);
    EXPECT_EQ(pasteboard.currentItems(), std::vector<PasteboardItem>{{entry(plainType, "mine")}});
}

TEST_F(PasteEngineTest, FailedWriteSkipsTheKeystroke)
{
    pasteboard.setWriteFails(true);
    paste("x");
    EXPECT_EQ(doneCount, 1);
    fake.executor().advance(1s);
    EXPECT_TRUE(fake.keyboardEvents().keystrokes().empty());
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
}

// The target application reads the content when it likes: the restore waits for its request,
// never comes before the delay, and comes at the latest one second after the keystroke.
struct LateCase
{
    const char* name;
    std::optional<std::chrono::milliseconds> requestAt;
    std::chrono::milliseconds restoredAt;
};

class LateTarget : public PasteEngineTest, public testing::WithParamInterface<LateCase>
{
protected:
    LateTarget()
    {
        fake.keyboardEvents().attachPasteboard(nullptr);
        pasteboard.setItems({{entry(plainType, "mine")}});
    }

    bool restored() const
    {
        return pasteboard.currentItems() == std::vector<PasteboardItem>{{entry(plainType, "mine")}};
    }
};

TEST_P(LateTarget, RestoreFollowsTheRequest)
{
    paste("rule text");
    if (const auto requestAt = GetParam().requestAt) {
        fake.executor().advance(*requestAt);
        EXPECT_FALSE(restored());
        pasteboard.simulateRequest();
        EXPECT_FALSE(restored()) << "the request is answered before the content goes";
        fake.executor().runUntilIdle();
    }
    if (fake.executor().elapsed() < GetParam().restoredAt) {
        fake.executor().advance(GetParam().restoredAt - fake.executor().elapsed() - 1ms);
        EXPECT_FALSE(restored());
        fake.executor().advance(1ms);
    }
    EXPECT_TRUE(restored());
    EXPECT_EQ(doneAt, GetParam().restoredAt);
    pasteboard.simulateRequest(); // a request for the restored content changes nothing
    fake.executor().advance(1s);
    EXPECT_EQ(doneCount, 1);
    EXPECT_EQ(fake.executor().pendingTimers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Requests, LateTarget,
                         testing::Values(LateCase{"after_the_delay", 600ms, 600ms},
                                         LateCase{"before_the_delay", 100ms, 250ms},
                                         LateCase{"never", std::nullopt, 1050ms}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasteEngineTest, EngineGoingAwayMidPastePutsThePasteboardBackUnlessTakenSince)
{
    pasteboard.setItems({{entry(plainType, "mine")}});
    paste("x");
    fake.executor().advance(10ms);
    engine.reset();
    EXPECT_EQ(pasteboard.currentItems(), std::vector<PasteboardItem>{{entry(plainType, "mine")}});
    fake.executor().advance(1s);
    EXPECT_TRUE(fake.keyboardEvents().keystrokes().empty());
    EXPECT_EQ(doneCount, 0);

    engine.emplace(PasteEngine::Services{fake.executor(), fake.accessibility(), fake.pasteboard(),
                                         fake.keyboardEvents(), fake.userNotifications()});
    paste("x");
    pasteboard.setItems({{entry(plainType, "newer")}});
    engine.reset();
    EXPECT_EQ(pasteboard.currentItems(), std::vector<PasteboardItem>{{entry(plainType, "newer")}});
}

} // namespace
