#include "Contracts.h"
#include "TestFiles.h"

namespace ondrel::test {
namespace {

using namespace platform;

constexpr std::uint32_t kV = 9;
constexpr std::uint32_t kCommandShift = CarbonModifier::command | CarbonModifier::shift;
constexpr HotKeyID kId{0x48544B59, 1}; // "HTKY"

TEST_P(DesktopContract, ACombinationHeldElsewhereIsTakenAndOursFiresOncePerPress)
{
    auto& hotkeys = harness().hotkeys();
    auto& layout = harness().layout();
    std::vector<KeyEvent> events;
    hotkeys.installEventHandler([&](const KeyEvent& event) {
        events.push_back(event);
        return noErr;
    });
    hotkeys.addEventTypes({KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased});
    HotKeyRef ref = 99;
    harness().grabElsewhere(kV, kCommandShift, true);
    EXPECT_TRUE(layout.isTakenBySystem(kV, kCommandShift));
    EXPECT_EQ(hotkeys.registerEventHotKey(kV, kCommandShift, kId, ref), eventHotKeyExistsErr);
    EXPECT_EQ(ref, 0u);
    harness().grabElsewhere(kV, kCommandShift, false);
    EXPECT_FALSE(layout.isTakenBySystem(kV, kCommandShift));

    ASSERT_EQ(hotkeys.registerEventHotKey(kV, kCommandShift, kId, ref), noErr);
    EXPECT_NE(ref, 0u);
    EXPECT_FALSE(layout.isTakenBySystem(kV, kCommandShift)) << "our own grab is not taken";
    HotKeyRef twice = 0;
    EXPECT_EQ(hotkeys.registerEventHotKey(kV, kCommandShift, {kId.signature, 2}, twice),
              eventHotKeyExistsErr);

    harness().type(kV, kCommandShift);
    ASSERT_TRUE(harness().runUntil([&] { return events.size() >= 2; }));
    harness().settle();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, KeyEventKind::hotKeyPressed);
    EXPECT_EQ(events[0].hotKeyID, kId);
    EXPECT_EQ(events[1].kind, KeyEventKind::hotKeyReleased);
    EXPECT_EQ(events[1].hotKeyID, kId);

    // Other modifiers are another combination; without the kinds nothing is delivered.
    events.clear();
    harness().type(kV, CarbonModifier::command);
    hotkeys.removeEventTypes({KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased});
    harness().type(kV, kCommandShift);
    harness().settle();
    EXPECT_TRUE(events.empty());

    EXPECT_EQ(hotkeys.unregisterEventHotKey(ref), noErr);
    EXPECT_EQ(hotkeys.unregisterEventHotKey(ref), eventHotKeyInvalidErr);
}

TEST_P(DesktopContract, KeyPositionsTypeTheCharactersOfAUsLayout)
{
    auto& layout = harness().layout();
    EXPECT_EQ(layout.characterForKeyCode(0), "a");
    EXPECT_EQ(layout.characterForKeyCode(kV), "v");
    EXPECT_EQ(layout.characterForKeyCode(0x12), "1");
    EXPECT_EQ(layout.characterForKeyCode(0x2B), ",");
    EXPECT_EQ(layout.characterForKeyCode(36), std::nullopt);   // Return
    EXPECT_EQ(layout.characterForKeyCode(0x3F), std::nullopt); // fn
}

TEST_P(DesktopContract, OurItemIsReadBackUntilAnotherProgramCopies)
{
    auto& pasteboard = harness().pasteboard();
    const PasteboardItem item{{"text/rtf", bytes("{\\rtf1 caf\\'e9}")},
                              {"text/plain;charset=utf-8", bytes("caf\xC3\xA9")}};
    ASSERT_TRUE(pasteboard.writeItem(item));
    EXPECT_TRUE(pasteboard.ownsLastWrite());
    EXPECT_EQ(pasteboard.items(), std::vector<PasteboardItem>{item});
    EXPECT_EQ(pasteboard.lastRead(), PasteboardRead::complete);
    EXPECT_FALSE(pasteboard.contentWasRequested()) << "reading it ourselves is not a paste";
    pasteboard.clearContents();
    EXPECT_TRUE(pasteboard.items().empty());

    harness().copyElsewhere("newer");
    EXPECT_TRUE(harness().runUntil([&] { return !pasteboard.ownsLastWrite(); }));
    const auto items = pasteboard.items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_TRUE(std::any_of(items[0].begin(), items[0].end(),
                            [](const auto& entry) { return entry.data == bytes("newer"); }));
}

TEST_P(DesktopContract, PasteKeystrokeGivesTheFrontWindowOurTextWhateverTheUserHolds)
{
    auto& pasteboard = harness().pasteboard();
    harness().openTarget();
    int requests = 0;
    pasteboard.setContentRequestedHandler([&] { ++requests; });
    ASSERT_TRUE(pasteboard.writeItem({{"text/plain;charset=utf-8", bytes("pasted by Ondrel")}}));
    harness().hold(kCommandShift);
    EXPECT_TRUE(harness().keyboard().postPasteKeystroke(PasteKeystroke::standard));
    EXPECT_TRUE(harness().runUntil([&] { return pasteboard.contentWasRequested(); }));
    harness().hold(0);
    EXPECT_EQ(harness().targetText(), "pasted by Ondrel");
    EXPECT_GT(requests, 0);
}

} // namespace
} // namespace ondrel::test
