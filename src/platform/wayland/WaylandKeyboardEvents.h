#pragma once

#include "platform/KeyboardEvents.h"

#include <memory>

struct zwp_virtual_keyboard_v1;

namespace ondrel::platform::wayland {

class WaylandConnection;
class XkbKeymap;

// The paste keystroke through one virtual keyboard, made at start and kept for the session: a
// headless seat has no keyboard until a client makes one, and loses the first key sent to a
// new one. wlroots keeps modifier state per keyboard, so keys the user still holds on the real
// keyboard do not reach the target with ours. Main thread only.
class WaylandKeyboardEvents final : public KeyboardEvents
{
public:
    WaylandKeyboardEvents(std::shared_ptr<WaylandConnection> connection,
                          std::shared_ptr<XkbKeymap> keymap);
    ~WaylandKeyboardEvents() override;

    bool postPasteKeystroke(PasteKeystroke keystroke) override;

private:
    std::shared_ptr<WaylandConnection> m_connection;
    std::shared_ptr<XkbKeymap> m_keymap;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
};

} // namespace ondrel::platform::wayland
