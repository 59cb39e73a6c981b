#pragma once

#include "platform/Hotkeys.h"
#include "platform/KeyboardEvents.h"

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/Pasteboard.h"

namespace ondrel::platform {
class Executor;
}

namespace ondrel::platform::fake {

class FakePasteboard;

// Records each paste keystroke. When a pasteboard is attached, the keystroke also plays the
// target application: it reads the pasteboard (a content request) and keeps what it saw.
class FakeKeyboardEvents final : public KeyboardEvents
{
public:
    /// The Carbon bit of the paste modifier (Command on macOS, standing for Control on X11).
    static constexpr std::uint32_t pasteModifier = CarbonModifier::command;

    struct Keystroke
    {
        std::chrono::steady_clock::time_point at;
        PasteKeystroke keystroke = PasteKeystroke::standard;
        std::uint32_t modifiersSeenByTarget = 0; // exactly the keystroke's modifiers
        std::uint32_t physicallyHeld = 0;        // what the user held down at that moment
        std::vector<PasteboardItem> pasted;      // the pasteboard the target read
    };

    explicit FakeKeyboardEvents(const Executor* clock = nullptr, FakePasteboard* target = nullptr)
        : m_clock(clock), m_target(target)
    {}

    bool postPasteKeystroke(PasteKeystroke keystroke) override;

    /// Modifier keys (Carbon bits) the user holds physically while the keystroke is posted.
    void setPhysicallyHeld(std::uint32_t carbonModifiers) { m_held = carbonModifiers; }
    /// Makes postPasteKeystroke() fail without posting anything.
    void setFails(bool fails) { m_fails = fails; }
    /// The pasteboard the target application reads on each keystroke (null: none).
    void attachPasteboard(FakePasteboard* pasteboard) { m_target = pasteboard; }
    /// Every keystroke posted, in order.
    const std::vector<Keystroke>& keystrokes() const { return m_keystrokes; }
    /// How many postPasteKeystroke() calls failed.

private:
    const Executor* m_clock;
    FakePasteboard* m_target;
    std::vector<Keystroke> m_keystrokes;
    std::uint32_t m_held = 0;
    bool m_fails = false;
};

} // namespace ondrel::platform::fake
