#pragma once

#include "X11Modifiers.h"

#include <cstdint>
#include <vector>

namespace ondrel::platform::x11 {

// Follows every key and button of the keyboards and pointers (raw input, whichever window has
// the focus) to tell when a hotkey is about to be pressed: the modifiers held are exactly a
// registered combination's and nothing else was pressed since they became so. A press of
// another key or a button spoils the chord until the modifiers change again, so what was read
// ahead of the press is never used after the user did something else. Pure state; no X.
class HotkeyArming final
{
public:
    struct Chord
    {
        std::uint8_t keycode = 0;
        std::uint16_t modifiers = 0; // X modifier bits without lock bits
    };

    /// The registered combinations.
    void setChords(std::vector<Chord> chords);
    /// Which keycodes set which modifier bit, and which bits are only locks.
    void setModifierMap(const ModifierMap& map, const ModifierRoles& roles);
    /// Starts over from the keys held now; nothing counts as pressed since.
    void reset(const KeyBitmap& held);

    /// A key went down or up; true when that changed armed().
    bool key(std::uint8_t keycode, bool down);
    /// A pointer button went down; true when that changed armed().
    bool button();

    /// True while a registered combination's key is all that is missing.
    bool armed() const { return m_armed; }

private:
    std::uint16_t heldModifiers() const;
    bool update();

    std::vector<Chord> m_chords;
    std::array<std::uint16_t, 256> m_modifierOf{};
    ModifierRoles m_roles;
    KeyBitmap m_held{};
    std::uint16_t m_lastModifiers = 0;
    bool m_spoiled = false;
    bool m_armed = false;
};

} // namespace ondrel::platform::x11
