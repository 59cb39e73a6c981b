#pragma once

#include "platform/KeyboardEvents.h"

#include <memory>

namespace ondrel::platform::x11 {

class X11Connection;

// Ctrl+V (Ctrl+Shift+V for terminals) through the XTEST extension, seen by the focused window
// with exactly those modifiers held whatever modifier keys the user is holding. Main thread.
class X11KeyboardEvents final : public KeyboardEvents
{
public:
    explicit X11KeyboardEvents(std::shared_ptr<X11Connection> connection);
    ~X11KeyboardEvents() override;

    bool postPasteKeystroke(PasteKeystroke keystroke) override;

    /// True when the server offers XTEST, without which no keystroke can be posted.
    bool hasXTest() const { return m_hasXTest; }

private:
    std::shared_ptr<X11Connection> m_connection;
    bool m_hasXTest = false;
};

} // namespace ondrel::platform::x11
