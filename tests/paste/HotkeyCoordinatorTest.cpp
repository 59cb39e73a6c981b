#include "PasteTestSupport.h"

#include "paste/HotkeyCoordinator.h"

#include "FakeClock.h"
#include "OutputCapture.h"
#include "TemporaryHome.h"
#include "TestFiles.h"

#include <filesystem>

using namespace std::chrono_literals;
using ondrel::paste::HotkeyCoordinator;
using ondrel::paste::PermissionManager;
using ondrel::paste::test::frontmostPid;
using ondrel::platform::PasteboardItem;
using ondrel::rules::Rule;
using ondrel::rules::RuleContentType;
using ondrel::rules::URLMatchMode;

namespace {

constexpr std::uint32_t vKey = 9;
constexpr std::uint32_t commandShift = 0x100 | 0x200;
const PasteboardItem usersClipboard{
    ondrel::paste::test::entry(ondrel::platform::PasteboardType::string, "the user's clipboard")};

// What a plain-text rule puts on the pasteboard.
PasteboardItem pastedItem(const std::string& text)
{
    return ondrel::paste::PasteEngine::contentItem(text, ondrel::rules::RuleContentType::plainText);
}

Rule makeRule(std::string name, std::string bundleID, std::string content,
              std::optional<std::string> urlPattern = std::nullopt)
{
    Rule rule;
    rule.name = std::move(name);
    rule.bundleID = std::move(bundleID);
    rule.content = std::move(content);
    rule.urlPattern = std::move(urlPattern);
    rule.urlMatchMode = URLMatchMode::domain;
    return rule;
}

class HotkeyCoordinatorTest : public ondrel::paste::test::PasteTest
{
protected:
    HotkeyCoordinatorTest()
    {
        fake.pasteboard().setItems({usersClipboard});
        frontmost("org.gnome.TextEditor");
        coordinator = HotkeyCoordinator::create(
            store, permissions, HotkeyCoordinator::services(fake.platform(), keyboardShortcuts));
        subscriptions.push_back(coordinator->addObserver([this] {
            announced.push_back({"will", coordinator->lastMatchedRuleName()});
        }));
        subscriptions.push_back(coordinator->addDidChangeObserver([this] {
            announced.push_back({"did", coordinator->lastMatchedRuleName()});
        }));
        coordinator->registerHotkey();
    }

    // Every smart paste runs to its end, so that nothing is left half done.
    void TearDown() override { fake.executor().advance(10s); }

    // Adds rules through the store, then removes the rules file so that a later write shows.
    void useRules(std::vector<Rule> rules)
    {
        for (Rule& rule : rules)
            store.addRule(std::move(rule));
        std::filesystem::remove(rulesFile());
    }

    std::filesystem::path rulesFile() const { return home.dataHome() / "Ondrel" / "rules.json"; }

    void press()
    {
        ASSERT_TRUE(fake.hotkeys().press(vKey, commandShift).has_value());
        fake.hotkeys().release(vKey, commandShift);
    }

    std::vector<PasteboardItem> clipboard() { return fake.pasteboard().currentItems(); }

    std::vector<std::chrono::steady_clock::duration> keystrokeTimes()
    {
        std::vector<std::chrono::steady_clock::duration> times;
        for (const auto& keystroke : fake.keyboardEvents().keystrokes())
            times.push_back(keystroke.at - start);
        return times;
    }

    ondrel::test::TemporaryHome home;
    ondrel::test::FakeClock wallClock;
    ondrel::test::OutputCapture shortcutErrors;
    ondrel::shortcuts::KeyboardShortcuts keyboardShortcuts{fake.platform()};
    ondrel::rules::RuleStore store{rulesFile(), wallClock.function()};
    PermissionManager permissions{
        PermissionManager::Services{fake.executor(), fake.accessibility(), fake.alerts(), [] {}}};
    std::shared_ptr<HotkeyCoordinator> coordinator;
    std::vector<ondrel::common::Subscription> subscriptions;
    std::vector<std::pair<std::string, std::optional<std::string>>> announced;
};

TEST_F(HotkeyCoordinatorTest, PressWithoutMatchingRuleDoesNothingAtAll)
{
    useRules({makeRule("Other app", "org.example.Other", "x")});
    fake.pasteboard().clearHistory();
    press();
    fake.executor().advance(5s);
    EXPECT_TRUE(fake.pasteboard().history().empty());
    EXPECT_TRUE(fake.keyboardEvents().keystrokes().empty());
    EXPECT_TRUE(fake.userNotifications().delivered().empty());
    EXPECT_FALSE(std::filesystem::exists(rulesFile()));
    EXPECT_EQ(coordinator->lastMatchedRuleName(), std::nullopt);
    EXPECT_TRUE(announced.empty());
    EXPECT_FALSE(coordinator->isPasting());
}

TEST_F(HotkeyCoordinatorTest, PressWithRulePastesStampsAndPublishes)
{
    useRules({makeRule("Other", "org.example.Other", "other"),
              makeRule("Editor", "org.gnome.TextEditor", "hi")});
    fake.pasteboard().clearHistory();
    wallClock.advance(1h);
    press();
    fake.executor().advance(249ms);
    ASSERT_EQ(fake.keyboardEvents().keystrokes().size(), 1u);
    EXPECT_EQ(fake.keyboardEvents().keystrokes()[0].pasted,
              std::vector<PasteboardItem>{pastedItem("hi")});
    EXPECT_FALSE(std::filesystem::exists(rulesFile())) << "stamped only once the paste is over";
    fake.executor().advance(1ms);
    EXPECT_EQ(clipboard(), std::vector<PasteboardItem>{usersClipboard});

    EXPECT_EQ(store.rules()[1].lastUsedAt, wallClock.now());
    EXPECT_EQ(store.rules()[0].lastUsedAt, std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(rulesFile()));
    EXPECT_EQ(coordinator->lastMatchedRuleName(), "Editor");
    const std::vector<std::pair<std::string, std::optional<std::string>>> expected = {
        {"will", std::nullopt}, {"did", "Editor"}};
    EXPECT_EQ(announced, expected);
    EXPECT_FALSE(coordinator->isPasting());

    // A later press without a match keeps the last name and announces nothing.
    frontmost("org.example.Unknown");
    press();
    fake.executor().advance(1s);
    EXPECT_EQ(coordinator->lastMatchedRuleName(), "Editor");
    EXPECT_EQ(announced, expected);
}

TEST_F(HotkeyCoordinatorTest, UntrustedPressNotifiesAndStillStamps)
{
    // What the engine does without trust is the engine's; the match still counts as used.
    useRules({makeRule("Any", "*", "generic")});
    fake.accessibility().setTrusted(false);
    press();
    fake.executor().advance(1s);
    EXPECT_EQ(fake.userNotifications().delivered().size(), 1u);
    EXPECT_EQ(store.rules()[0].lastUsedAt, wallClock.now());
    EXPECT_TRUE(std::filesystem::exists(rulesFile()));
    EXPECT_EQ(coordinator->lastMatchedRuleName(), "Any");
}

// Holding the shortcut's modifiers reads the context ahead, so the press pastes at once. Our
// own keystroke lets go of the held modifiers and presses them again while the paste runs; once
// it has ended the context is read ahead again for a press that may follow.
TEST_F(HotkeyCoordinatorTest, HeldModifiersReadTheContextAheadOfThePress)
{
    frontmost("chromium");
    fake.browserUrl().answer(frontmostPid, "https://docs.example.com/page", 100ms);
    useRules({makeRule("Chromium", "chromium", "app rule"),
              makeRule("Docs", "chromium", "url rule", "example.com")});
    fake.hotkeys().setArmed(true);
    fake.executor().advance(100ms);
    fake.browserUrl().answer(frontmostPid, "https://elsewhere.org/", 100ms);
    press();
    fake.executor().runUntilIdle();
    EXPECT_EQ(clipboard(), std::vector<PasteboardItem>{pastedItem("url rule")});
    EXPECT_EQ(fake.browserUrl().calls().size(), 1u);

    fake.hotkeys().setArmed(false);
    fake.hotkeys().setArmed(true);
    fake.executor().runUntilIdle();
    EXPECT_EQ(fake.browserUrl().calls().size(), 1u);
    fake.executor().advance(1s);
    EXPECT_EQ(coordinator->lastMatchedRuleName(), "Docs");
    EXPECT_EQ(fake.browserUrl().calls().size(), 2u);
}

TEST_F(HotkeyCoordinatorTest, RuleDeletedDuringThePasteCompletesWithoutWritingTheFile)
{
    useRules({makeRule("Doomed", "*", "bye")});
    press();
    fake.executor().advance(100ms);
    store.deleteRule(store.rules()[0].id);
    std::filesystem::remove(rulesFile());
    fake.executor().advance(1s);
    EXPECT_EQ(keystrokeTimes().size(), 1u);
    EXPECT_EQ(clipboard(), std::vector<PasteboardItem>{usersClipboard});
    EXPECT_FALSE(std::filesystem::exists(rulesFile()));
    EXPECT_EQ(coordinator->lastMatchedRuleName(), "Doomed");
}

TEST_F(HotkeyCoordinatorTest, RuleEditedDuringThePasteKeepsItsMatchedNameAndIsStamped)
{
    useRules({makeRule("Same", "*", "first")});
    press();
    fake.executor().advance(100ms);
    Rule edited = store.rules()[0];
    edited.name = "Renamed";
    store.updateRule(edited);
    fake.executor().advance(1s);
    EXPECT_EQ(coordinator->lastMatchedRuleName(), "Same");
    EXPECT_EQ(store.rules()[0].name, "Renamed");
    EXPECT_EQ(store.rules()[0].lastUsedAt, wallClock.now());
}

TEST_F(HotkeyCoordinatorTest, PressesAreSerialised)
{
    useRules({makeRule("Any", "*", "rule text")});
    fake.pasteboard().clearHistory();
    press();
    fake.executor().advance(10ms);
    press();
    fake.executor().runUntilIdle();
    EXPECT_EQ(coordinator->waitingPresses(), 1u);

    fake.executor().advance(240ms); // the first paste restores at 250 ms, then the second starts
    EXPECT_EQ(coordinator->waitingPresses(), 0u);
    EXPECT_EQ(clipboard(), std::vector<PasteboardItem>{pastedItem("rule text")});
    fake.executor().advance(1s);
    EXPECT_EQ(keystrokeTimes(), (std::vector<std::chrono::steady_clock::duration>{50ms, 300ms}));
    // The second snapshot was taken after the first restore: the user's clipboard, not the rule.
    EXPECT_EQ(clipboard(), std::vector<PasteboardItem>{usersClipboard});
    EXPECT_FALSE(coordinator->isPasting());
}

// Only a smart paste under way keeps the coordinator alive, never the shortcut's action.
TEST_F(HotkeyCoordinatorTest, SmartPasteUnderWayKeepsTheCoordinatorAlive)
{
    useRules({makeRule("Any", "*", "rule text")});
    press();
    fake.executor().runUntilIdle();
    std::weak_ptr<HotkeyCoordinator> weak = coordinator;
    subscriptions.clear();
    coordinator.reset();
    EXPECT_FALSE(weak.expired());
    fake.executor().advance(1s);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(keystrokeTimes().size(), 1u);
    EXPECT_EQ(clipboard(), std::vector<PasteboardItem>{usersClipboard});
    EXPECT_EQ(store.rules()[0].lastUsedAt, wallClock.now());
    press();
    fake.executor().advance(1s);
    EXPECT_EQ(keystrokeTimes().size(), 1u);
}

} // namespace
