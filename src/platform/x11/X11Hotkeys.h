#pragma once

#include "HotkeyArming.h"
#include "platform/Hotkeys.h"

#include <xcb/xcb.h>

#include <map>
#include <memory>
#include <set>

class QTimer;

namespace ondrel::platform::x11 {

class MenuKeyWatcher;
class RawInputWatcher;
class X11Connection;

// System-wide hotkeys as passive key grabs on the root window. A press is delivered once
// per physical press (repeats are dropped) and the keyboard grab it activated is released at
// once, so a keystroke posted afterwards reaches the focused window; the release is
// delivered when the key comes up. While observed, raw input tells when a combination is about
// to be pressed. Main thread; events need a running Qt event loop.
class X11Hotkeys final : public Hotkeys
{
public:
    explicit X11Hotkeys(std::shared_ptr<X11Connection> connection);
    ~X11Hotkeys() override;

    OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers, HotKeyID id,
                                 HotKeyRef& ref) override;
    OSStatus unregisterEventHotKey(HotKeyRef ref) override;
    OSStatus installEventHandler(Handler handler) override;
    OSStatus addEventTypes(const std::vector<KeyEventKind>& kinds) override;
    OSStatus removeEventTypes(const std::vector<KeyEventKind>& kinds) override;
    void setMenuTrackingObserver(std::function<void(bool isOpen)> observer) override;
    void setArmedObserver(std::function<void(bool armed)> observer) override;

private:
    struct Registration
    {
        HotKeyID id;
        xcb_keycode_t keycode = 0;
        std::uint32_t carbonModifiers = 0;
        std::uint16_t modifiers = 0; // X modifier bits as grabbed
        bool down = false;
    };

    bool handleEvent(const xcb_generic_event_t& event);
    void pressed(const xcb_key_press_event_t& event);
    void released(xcb_keycode_t keycode);
    void pollHeldKeys();
    void deliver(KeyEventKind kind, HotKeyID id);
    void updateRawKeyWatch();
    void regrab();
    bool isKeyDown(xcb_keycode_t keycode);
    void updateArming();
    void armingChanged();

    std::shared_ptr<X11Connection> m_connection;
    std::uint64_t m_listener = 0;
    std::map<HotKeyRef, Registration> m_registrations;
    HotKeyRef m_nextRef = 1;
    Handler m_handler;
    std::set<KeyEventKind> m_enabledKinds;
    std::unique_ptr<MenuKeyWatcher> m_menuWatcher;
    std::unique_ptr<QTimer> m_releasePoll; // present while a Qt event loop exists
    std::function<void(bool)> m_armedObserver;
    HotkeyArming m_arming;
    std::unique_ptr<RawInputWatcher> m_rawInput; // present while someone observes arming
};

} // namespace ondrel::platform::x11
