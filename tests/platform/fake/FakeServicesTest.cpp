#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace std::chrono_literals;
using namespace ondrel::platform;
using namespace ondrel::platform::fake;

namespace {

constexpr std::uint32_t kV = 9;
constexpr std::uint32_t kCommandShift = 0x100 | 0x200;
constexpr HotKeyID kId1{0x48544B59, 1}; // "HTKY"

TEST(FakeHotkeys, RegistrationFailsForCombinationsHeldElsewhereOrAlreadyOurs)
{
    FakeHotkeys hotkeys;
    hotkeys.setHeldByAnotherClient(kV, 0x100);

    HotKeyRef ref = 99;
    EXPECT_EQ(hotkeys.registerEventHotKey(kV, 0x100, kId1, ref), eventHotKeyExistsErr);
    EXPECT_EQ(ref, 0u);

    EXPECT_EQ(hotkeys.registerEventHotKey(kV, kCommandShift, kId1, ref), noErr);
    EXPECT_NE(ref, 0u);
    HotKeyRef second = 0;
    EXPECT_EQ(hotkeys.registerEventHotKey(kV, kCommandShift, HotKeyID{kId1.signature, 2}, second),
              eventHotKeyExistsErr);

    ASSERT_EQ(hotkeys.registrations().size(), 1u);
    EXPECT_EQ(hotkeys.registrations()[0],
              (FakeHotkeys::Registration{kV, kCommandShift, kId1, ref}));
    EXPECT_EQ(hotkeys.calls().size(), 3u);

    EXPECT_EQ(hotkeys.unregisterEventHotKey(ref), noErr);
    EXPECT_EQ(hotkeys.unregisterEventHotKey(ref), eventHotKeyInvalidErr);
    EXPECT_TRUE(hotkeys.registrations().empty());
}

TEST(FakeHotkeys, PressReachesTheHandlerOnlyWithRegistrationHandlerAndEnabledKind)
{
    FakeHotkeys hotkeys;
    std::vector<KeyEvent> received;
    HotKeyRef ref = 0;
    ASSERT_EQ(hotkeys.registerEventHotKey(kV, kCommandShift, kId1, ref), noErr);

    EXPECT_EQ(hotkeys.press(kV, kCommandShift), std::nullopt); // no handler yet
    ASSERT_EQ(hotkeys.installEventHandler([&](const KeyEvent& event) {
        received.push_back(event);
        return noErr;
    }),
              noErr);
    EXPECT_EQ(hotkeys.press(kV, kCommandShift), std::nullopt); // kind not enabled

    hotkeys.addEventTypes({KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased});
    EXPECT_EQ(hotkeys.press(kV, kCommandShift), noErr);
    EXPECT_EQ(hotkeys.release(kV, kCommandShift), noErr);
    EXPECT_EQ(hotkeys.press(kV, 0x100), std::nullopt); // not registered
    EXPECT_EQ(hotkeys.rawKeyDown(kV, kCommandShift), std::nullopt);

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].kind, KeyEventKind::hotKeyPressed);
    EXPECT_EQ(received[0].hotKeyID, kId1);
    EXPECT_EQ(received[1].kind, KeyEventKind::hotKeyReleased);

    hotkeys.unregisterEventHotKey(ref);
    EXPECT_EQ(hotkeys.press(kV, kCommandShift), std::nullopt);
}

TEST(FakeHotkeys, RawKeysAndMenuTracking)
{
    FakeHotkeys hotkeys;
    std::vector<bool> menuStates;
    hotkeys.setMenuTrackingObserver([&](bool open) { menuStates.push_back(open); });
    hotkeys.installEventHandler(
        [](const KeyEvent& event) { return event.keyCode == kV ? noErr : eventNotHandledErr; });
    hotkeys.addEventTypes({KeyEventKind::rawKeyDown, KeyEventKind::rawKeyUp});

    hotkeys.setMenuOpen(true);
    EXPECT_EQ(hotkeys.rawKeyDown(kV, kCommandShift), noErr);
    EXPECT_EQ(hotkeys.rawKeyUp(1, 0), eventNotHandledErr);
    hotkeys.removeEventTypes({KeyEventKind::rawKeyUp});
    EXPECT_EQ(hotkeys.rawKeyUp(kV, 0), std::nullopt);
    hotkeys.setMenuOpen(false);

    EXPECT_EQ(menuStates, (std::vector<bool>{true, false}));
    ASSERT_EQ(hotkeys.deliveredEvents().size(), 2u);
    EXPECT_EQ(hotkeys.deliveredEvents()[0].carbonModifiers, kCommandShift);
    EXPECT_FALSE(hotkeys.deliveredEvents()[0].hotKeyID.has_value());
}

TEST(FakeHotkeys, FailedHandlerInstallLeavesNoHandler)
{
    FakeHotkeys hotkeys;
    hotkeys.setInstallStatus(paramErr);
    EXPECT_EQ(hotkeys.installEventHandler([](const KeyEvent&) { return noErr; }), paramErr);
    EXPECT_FALSE(hotkeys.hasHandler());
    hotkeys.setInstallStatus(noErr);
    EXPECT_EQ(hotkeys.installEventHandler([](const KeyEvent&) { return noErr; }), noErr);
    EXPECT_TRUE(hotkeys.hasHandler());
    EXPECT_EQ(hotkeys.handlerInstallCount(), 2);
}

TEST(FakeKeyboardLayout, StartsAsUsAndCanBeChanged)
{
    FakeKeyboardLayout layout;
    EXPECT_EQ(layout.characterForKeyCode(kV), "v");
    EXPECT_EQ(layout.characterForKeyCode(0x32), "`");
    EXPECT_EQ(layout.characterForKeyCode(0x1D), "0");
    EXPECT_EQ(layout.characterForKeyCode(49), std::nullopt); // Space is not a layout key here

    layout.setCharacter(kV, "k"); // Dvorak puts k where V is
    layout.setCharacter(0x32, std::nullopt);
    EXPECT_EQ(layout.characterForKeyCode(kV), "k");
    EXPECT_EQ(layout.characterForKeyCode(0x32), std::nullopt);
    layout.setLayout({});
    EXPECT_EQ(layout.characterForKeyCode(0), std::nullopt);

    EXPECT_FALSE(layout.isTakenBySystem(kV, kCommandShift));
    layout.setTakenBySystem(kV, kCommandShift);
    EXPECT_TRUE(layout.isTakenBySystem(kV, kCommandShift));
    layout.setSystemShortcuts({{kV, 0x100, true}});
    EXPECT_EQ(layout.systemShortcuts(), (std::vector<SystemShortcut>{{kV, 0x100, true}}));
}

TEST(FakePlatform, PasteKeystrokeReadsThePasteboardAsTheTargetWould)
{
    FakePlatform fake;
    Platform& platform = fake.platform();
    int requests = 0;
    platform.pasteboard->setContentRequestedHandler([&] { ++requests; });
    fake.keyboardEvents().setPhysicallyHeld(kCommandShift);

    const PasteboardItem item{FakePasteboard::textEntry(std::string(PasteboardType::string), "hi")};
    platform.pasteboard->clearContents();
    ASSERT_TRUE(platform.pasteboard->writeItem(item));
    EXPECT_FALSE(platform.pasteboard->contentWasRequested());
    fake.executor().advance(50ms);
    ASSERT_TRUE(platform.keyboardEvents->postPasteKeystroke(PasteKeystroke::standard));

    EXPECT_TRUE(platform.pasteboard->contentWasRequested());
    EXPECT_EQ(requests, 1);
    const auto& keystrokes = fake.keyboardEvents().keystrokes();
    ASSERT_EQ(keystrokes.size(), 1u);
    EXPECT_EQ(keystrokes[0].modifiersSeenByTarget, FakeKeyboardEvents::pasteModifier);
    EXPECT_EQ(keystrokes[0].physicallyHeld, kCommandShift);
    EXPECT_EQ(keystrokes[0].pasted, (std::vector<PasteboardItem>{item}));
    EXPECT_EQ(keystrokes[0].at - fake.pasteboard().history().back().at, 50ms);

    const auto& history = fake.pasteboard().history();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].kind, FakePasteboard::Change::Kind::clear);
    EXPECT_EQ(history[1].kind, FakePasteboard::Change::Kind::write);
}

TEST(FakePlatform, FailingWriteLeavesThePasteboardAlone)
{
    FakePlatform fake;
    const PasteboardItem before{FakePasteboard::textEntry("text/html", "<b>x</b>")};
    fake.pasteboard().setItems({before, before});
    fake.pasteboard().setWriteFails(true);
    EXPECT_FALSE(fake.platform().pasteboard->writeItem({}));
    EXPECT_EQ(fake.platform().pasteboard->items().size(), 2u);
    EXPECT_TRUE(fake.pasteboard().history().empty());
}

TEST(FakePlatform, TeardownWithAHungLookupDoesNotHang)
{
    std::atomic<bool> returned{false};
    {
        FakePlatform fake;
        fake.browserUrl().hang(7);
        fake.platform().executor->runOnWorker([&] {
            EXPECT_EQ(fake.platform().browserUrl->currentURL(7, "chromium"), std::nullopt);
            returned = true;
        });
        fake.executor().advance(1min);
        EXPECT_FALSE(returned);
    }
    EXPECT_TRUE(returned);
}

TEST(FakeAccessibility, ReadsNeedTrustAndFollowTheTree)
{
    FakeExecutor executor;
    FakeAccessibility accessibility(&executor);
    auto app = makeElement("AXApplication", std::nullopt, "app");
    auto window = makeElement("AXWindow", std::nullopt, "window");
    auto field = makeElement(AXRole::textField, std::string("https://example.com"), "address");
    window->addChild(field);
    app->set(AXAttribute::focusedWindow, ElementRef(window));
    accessibility.setApplication(100, app);

    const ElementRef application = accessibility.applicationElement(100);
    ASSERT_EQ(application, app);
    EXPECT_EQ(accessibility.applicationElement(101), nullptr);
    auto focused = accessibility.attributeValue(application, AXAttribute::focusedWindow);
    ASSERT_TRUE(std::holds_alternative<ElementRef>(focused));
    auto children =
        accessibility.attributeValue(std::get<ElementRef>(focused), AXAttribute::children);
    ASSERT_TRUE(std::holds_alternative<std::vector<ElementRef>>(children));
    EXPECT_EQ(std::get<std::vector<ElementRef>>(children).front(), field);
    EXPECT_EQ(accessibility.attributeValue(field, AXAttribute::value),
              AttributeValue(std::string("https://example.com")));
    EXPECT_EQ(accessibility.readCount(field), 1);

    accessibility.setTrusted(false);
    EXPECT_FALSE(accessibility.isProcessTrusted());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(
        accessibility.attributeValue(field, AXAttribute::value)));
    accessibility.requestTrust();
    EXPECT_FALSE(accessibility.isProcessTrusted());
    accessibility.setGrantOnRequest(true);
    accessibility.requestTrust();
    EXPECT_TRUE(accessibility.isProcessTrusted());
    EXPECT_EQ(accessibility.requestTrustCount(), 2);
}

TEST(FakeAccessibility, SlowApplicationTakesVirtualTime)
{
    FakeExecutor executor;
    FakeAccessibility accessibility(&executor);
    accessibility.setApplication(5, makeElement("AXApplication"));
    accessibility.setApplicationDelay(5, 800ms);
    const auto start = executor.now();
    std::optional<std::chrono::steady_clock::duration> answeredAfter;
    executor.runOnWorker([&] {
        accessibility.applicationElement(5);
        executor.post([&] { answeredAfter = executor.now() - start; });
    });
    executor.advance(799ms);
    EXPECT_FALSE(answeredAfter);
    executor.advance(1ms);
    EXPECT_EQ(answeredAfter, 800ms);
}

} // namespace
