#include "HotkeyArming.h"

#include <algorithm>

namespace ondrel::platform::x11 {

namespace {

bool isSet(const KeyBitmap& keys, std::uint8_t keycode)
{
    return (keys[keycode / 8] >> (keycode % 8)) & 1u;
}

void set(KeyBitmap& keys, std::uint8_t keycode, bool down)
{
    const auto bit = static_cast<std::uint8_t>(1u << (keycode % 8));
    keys[keycode / 8] =
        static_cast<std::uint8_t>(down ? keys[keycode / 8] | bit : keys[keycode / 8] & ~bit);
}

} // namespace

void HotkeyArming::setChords(std::vector<Chord> chords)
{
    m_chords = std::move(chords);
    update();
}

void HotkeyArming::setModifierMap(const ModifierMap& map, const ModifierRoles& roles)
{
    m_modifierOf.fill(0);
    for (std::size_t row = 0; row < map.size(); ++row) {
        for (const auto keycode : map[row])
            m_modifierOf[keycode] = static_cast<std::uint16_t>(m_modifierOf[keycode] | 1u << row);
    }
    m_roles = roles;
    update();
}

void HotkeyArming::reset(const KeyBitmap& held)
{
    m_held = held;
    m_lastModifiers = heldModifiers();
    m_spoiled = false;
    update();
}

bool HotkeyArming::key(std::uint8_t keycode, bool down)
{
    const bool wasArmed = m_armed;
    set(m_held, keycode, down);
    const bool isModifier = cleanState(m_modifierOf[keycode], m_roles) != 0;
    const bool isChordKey = std::any_of(m_chords.begin(), m_chords.end(),
                                        [&](const Chord& c) { return c.keycode == keycode; });
    if (down && !isModifier && !isChordKey)
        m_spoiled = true;
    update();
    return m_armed != wasArmed;
}

bool HotkeyArming::button()
{
    const bool wasArmed = m_armed;
    m_spoiled = true;
    update();
    return m_armed != wasArmed;
}

std::uint16_t HotkeyArming::heldModifiers() const
{
    std::uint16_t bits = 0;
    for (std::size_t keycode = 0; keycode < m_modifierOf.size(); ++keycode) {
        if (m_modifierOf[keycode] && isSet(m_held, static_cast<std::uint8_t>(keycode)))
            bits = static_cast<std::uint16_t>(bits | m_modifierOf[keycode]);
    }
    return cleanState(bits, m_roles);
}

bool HotkeyArming::update()
{
    const auto modifiers = heldModifiers();
    if (modifiers != m_lastModifiers) {
        // Another set of modifiers is another chord: what spoiled the last one is over.
        m_lastModifiers = modifiers;
        m_spoiled = false;
    }
    const auto chordHeld = [&](const Chord& chord) {
        if (chord.modifiers != modifiers)
            return false;
        // Any other key still down (one pressed before the modifiers) spoils it as well.
        for (std::size_t keycode = 0; keycode < m_modifierOf.size(); ++keycode) {
            const auto code = static_cast<std::uint8_t>(keycode);
            if (isSet(m_held, code) && code != chord.keycode && m_modifierOf[keycode] == 0)
                return false;
        }
        return true;
    };
    m_armed = !m_spoiled && std::any_of(m_chords.begin(), m_chords.end(), chordHeld);
    return m_armed;
}

} // namespace ondrel::platform::x11
