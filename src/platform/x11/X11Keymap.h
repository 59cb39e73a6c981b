#pragma once

#include "X11Modifiers.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;

namespace ondrel::platform::x11 {

// The keyboard of an X connection as XKB describes it: its keymap, the group (layout) in
// use, and the modifier map. Kept until the server reports a mapping change. Main thread.
class X11Keymap final
{
public:
    explicit X11Keymap(xcb_connection_t* connection);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    /// True when the server speaks XKB; without it keysym look-ups answer none.
    bool hasXkb() const { return m_deviceId >= 0; }
    /// Forgets everything read so far; the next question reads the server again.
    void invalidate();
    /// True for the events that announce a new keyboard, keymap or modifier map.
    bool isMappingChange(const xcb_generic_event_t& event) const;

    /// The group the core keyboard uses now.
    std::uint32_t currentLayout();
    /// The keysym on the key's first level in the current group, without modifiers.
    std::optional<std::uint32_t> keysymAt(std::uint8_t keycode);
    /// The same in the group shortcuts are named by: the current one when it types Latin
    /// letters, else the first group that does, else a US layout.
    std::optional<std::uint32_t> latinKeysymAt(std::uint8_t keycode);
    /// The lowest keycode whose first level in the current group is keysym.
    std::optional<std::uint8_t> keycodeForKeysym(std::uint32_t keysym);
    /// The modifier map (which keycodes set which modifier bit).
    const ModifierMap& modifierMap();
    /// Which modifier bits are Super, Alt, NumLock and ScrollLock.
    ModifierRoles roles();

private:
    xkb_keymap* keymap();
    xkb_keymap* usKeymap();
    std::optional<std::uint32_t> keysymIn(std::uint8_t keycode, std::uint32_t layout);

    struct ContextDeleter
    {
        void operator()(xkb_context* context) const;
    };
    struct KeymapDeleter
    {
        void operator()(xkb_keymap* keymap) const;
    };

    xcb_connection_t* m_connection;
    std::int32_t m_deviceId = -1;
    std::uint8_t m_firstEvent = 0;
    std::unique_ptr<xkb_context, ContextDeleter> m_context;
    std::unique_ptr<xkb_keymap, KeymapDeleter> m_keymap;
    std::unique_ptr<xkb_keymap, KeymapDeleter> m_usKeymap;
    std::optional<ModifierMap> m_modifierMap;
    std::optional<ModifierRoles> m_roles;
};

} // namespace ondrel::platform::x11
