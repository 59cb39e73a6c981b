#pragma once

#include "platform/Hotkeys.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace ondrel::platform::wayland {

class SwayIpc;
class XkbKeymap;

// System-wide hotkeys as sway bindings made at run time (`bindcode ... nop <marker>`), whose
// presses arrive as binding events. sway replaces an existing binding without a word, so the
// configuration is checked first; a reload drops run-time bindings, so they are made again.
// Main thread only.
class SwayHotkeys final : public Hotkeys
{
public:
    SwayHotkeys(std::shared_ptr<SwayIpc> sway, std::shared_ptr<XkbKeymap> keymap);
    ~SwayHotkeys() override;

    OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers, HotKeyID id,
                                 HotKeyRef& ref) override;
    OSStatus unregisterEventHotKey(HotKeyRef ref) override;
    OSStatus installEventHandler(Handler handler) override;
    OSStatus addEventTypes(const std::vector<KeyEventKind>& kinds) override;
    OSStatus removeEventTypes(const std::vector<KeyEventKind>& kinds) override;
    void setMenuTrackingObserver(std::function<void(bool isOpen)> observer) override;
    void setArmedObserver(std::function<void(bool armed)> observer) override;

    /// The text every command of this process's bindings carries, told from the user's by it.
    static std::string ownMarker();

private:
    struct Registration
    {
        std::string combination; // "Mod4+Shift+55"
        HotKeyID id;
    };

    bool bind(HotKeyRef ref, const Registration& registration);
    void unbind(const Registration& registration);
    void onBinding(const std::string& command);
    void onReload();

    std::shared_ptr<SwayIpc> m_sway;
    std::shared_ptr<XkbKeymap> m_keymap;
    std::string m_marker;
    bool m_subscribed = false;
    HotKeyRef m_nextRef = 1;
    std::map<HotKeyRef, Registration> m_registrations;
    Handler m_handler;
    std::set<KeyEventKind> m_enabled;
    std::function<void(bool)> m_menuObserver;
};

} // namespace ondrel::platform::wayland
