#pragma once

#include "X11Connection.h"
#include "X11Modifiers.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace ondrel::platform::x11 {

// Raw key and button events of every keyboard and pointer (XInput 2.2), whichever window has
// the focus and whatever grab is active. They are only observed: every event still goes where
// it went before. One per connection: the selection belongs to the connection, so a second
// watcher going away would end the first one's events too. Main thread; events need a running
// Qt event loop.
class RawInputWatcher final
{
public:
    struct Handlers
    {
        std::function<void(std::uint8_t keycode, bool down)> key;
        std::function<void()> button;
    };

    /// Starts watching; isWatching() is false when the server lacks XInput 2.2.
    RawInputWatcher(std::shared_ptr<X11Connection> connection, Handlers handlers);
    ~RawInputWatcher();
    RawInputWatcher(const RawInputWatcher&) = delete;
    RawInputWatcher& operator=(const RawInputWatcher&) = delete;

    /// True when raw events are selected and will arrive.
    bool isWatching() const { return m_opcode != 0; }
    /// Starts or stops reporting button presses (keys are always reported).
    void watchButtons(bool watch);
    /// The keys down now, as the server says (one bit per keycode).
    KeyBitmap heldKeys() const;

private:
    bool handleEvent(const xcb_generic_event_t& event);
    void select(std::uint32_t mask);

    std::shared_ptr<X11Connection> m_connection;
    Handlers m_handlers;
    std::uint8_t m_opcode = 0;
    bool m_buttons = false;
    X11Connection::ListenerId m_listener = 0;
};

} // namespace ondrel::platform::x11
