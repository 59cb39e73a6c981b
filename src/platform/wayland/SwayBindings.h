#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform::wayland {

class XkbKeymap;

// A key binding of sway's default mode, by key position.
struct SwayBinding
{
    std::uint32_t xkbKeycode = 0;
    std::uint32_t carbonModifiers = 0;
    bool onRelease = false;

    bool operator==(const SwayBinding&) const = default;
};

/// The key bindings of the default mode in a sway configuration (with `set` variables
/// substituted and `include`d files read), keysyms resolved through keymap. Bindings on
/// modifiers a shortcut cannot hold (Mod2, Mod3, Mod5, Caps), on mouse buttons, in other modes
/// and commands that are Ondrel's own (marker) are left out.
std::vector<SwayBinding> swayBindings(const std::string& config, const XkbKeymap& keymap,
                                      const std::string& ownMarker);

/// The sway modifier names of Carbon modifier bits ("Mod4+Shift+"), or none for a bit sway has
/// no name for (the function key).
std::optional<std::string> swayModifiersForCarbon(std::uint32_t carbonModifiers);

} // namespace ondrel::platform::wayland
