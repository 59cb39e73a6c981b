#pragma once

#include "platform/KeyboardLayout.h"

#include <memory>

namespace ondrel::platform::wayland {

class SwayIpc;
class XkbKeymap;

// Key texts from the keymap sway's configuration names; taken combinations are the key
// bindings of that configuration (run-time bindings of other programs cannot be listed).
class SwayKeyboardLayout final : public KeyboardLayout
{
public:
    SwayKeyboardLayout(std::shared_ptr<SwayIpc> sway, std::shared_ptr<XkbKeymap> keymap);
    ~SwayKeyboardLayout() override;

    std::optional<std::string> characterForKeyCode(std::uint32_t keyCode) override;
    std::vector<SystemShortcut> systemShortcuts() override;
    bool isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    std::optional<KeyStroke> keyStroke(const ToolkitKeyEvent& event) override;

private:
    std::shared_ptr<SwayIpc> m_sway;
    std::shared_ptr<XkbKeymap> m_keymap;
};

} // namespace ondrel::platform::wayland
