#pragma once

#include "platform/KeyboardLayout.h"

#include <memory>

namespace ondrel::platform::x11 {

class X11Connection;

// Characters of key positions on the current XKB layout (on a Latin one while the current
// layout is Cyrillic, Greek and the like, so shortcuts keep the names their letters have on the
// keys), and whether another client holds a key combination. X11 keeps no list of system shortcuts:
// the desktop's own shortcuts are simply grabs of other clients, found by trying. Main thread.
class X11KeyboardLayout final : public KeyboardLayout
{
public:
    explicit X11KeyboardLayout(std::shared_ptr<X11Connection> connection);
    ~X11KeyboardLayout() override;

    std::optional<std::string> characterForKeyCode(std::uint32_t keyCode) override;
    std::vector<SystemShortcut> systemShortcuts() override;
    bool isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    /// By the key's position (its X keycode); synthesised events without one by the toolkit key.
    std::optional<KeyStroke> keyStroke(const ToolkitKeyEvent& event) override;

private:
    std::shared_ptr<X11Connection> m_connection;
};

} // namespace ondrel::platform::x11
