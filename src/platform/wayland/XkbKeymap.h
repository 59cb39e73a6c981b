#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct xkb_context;
struct xkb_keymap;

namespace ondrel::platform::wayland {

// The names that select an XKB keymap, as sway's `input ... xkb_*` settings give them; empty
// ones take libxkbcommon's defaults (XKB_DEFAULT_* or "us").
struct XkbNames
{
    std::string rules;
    std::string model;
    std::string layout;
    std::string variant;
    std::string options;
};

// A compiled XKB keymap: what our virtual keyboard sends, and what a key types. Wayland has no
// shared keymap to ask, so it is compiled from the names the compositor's configuration uses.
class XkbKeymap final
{
public:
    explicit XkbKeymap(const XkbNames& names);
    ~XkbKeymap();
    XkbKeymap(const XkbKeymap&) = delete;
    XkbKeymap& operator=(const XkbKeymap&) = delete;

    /// False when not even the default keymap compiled.
    bool isValid() const { return m_keymap != nullptr; }
    /// The keymap in text form (XKB_KEYMAP_FORMAT_TEXT_V1), for a virtual keyboard.
    std::string text() const;
    /// The keysym on the key's first level in the first layout.
    std::optional<std::uint32_t> keysymAt(std::uint32_t xkbKeycode) const;
    /// The lowest keycode whose first level in the first layout is keysym.
    std::optional<std::uint32_t> keycodeFor(std::uint32_t keysym) const;
    /// The bit of a named modifier ("Control", "Shift", "Mod1", "Mod4") in a modifier mask.
    std::uint32_t modifierBit(const char* name) const;

    /// The keymap names in sway's configuration text (the last `xkb_*` setting of each kind).
    static XkbNames namesFromSwayConfig(const std::string& config);

private:
    xkb_context* m_context = nullptr;
    xkb_keymap* m_keymap = nullptr;
};

} // namespace ondrel::platform::wayland
