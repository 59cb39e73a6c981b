#include "FakeKeyboardEvents.h"

#include "FakePasteboard.h"
#include "platform/Executor.h"

namespace ondrel::platform::fake {

bool FakeKeyboardEvents::postPasteKeystroke(PasteKeystroke pasteKeystroke)
{
    if (m_fails)
        return false;
    Keystroke keystroke;
    keystroke.at = m_clock ? m_clock->now() : std::chrono::steady_clock::time_point{};
    // A correct backend lifts whatever the user holds for the keystroke, so the target sees
    // the keystroke's own modifiers alone.
    keystroke.keystroke = pasteKeystroke;
    keystroke.modifiersSeenByTarget = pasteKeystroke == PasteKeystroke::terminal
                                          ? pasteModifier | CarbonModifier::shift
                                          : pasteModifier;
    keystroke.physicallyHeld = m_held;
    if (m_target) {
        keystroke.pasted = m_target->currentItems();
    }
    m_keystrokes.push_back(std::move(keystroke));
    if (m_target) {
        m_target->simulateRequest();
    }
    return true;
}

} // namespace ondrel::platform::fake
