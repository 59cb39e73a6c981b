#include "KeysymText.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>

namespace ondrel::platform::freedesktop {

namespace {

struct DeadKey
{
    std::uint32_t keysym;
    char32_t accent;
};

// A dead key types nothing by itself; a shortcut on it is shown by its accent.
constexpr std::array kDeadKeys{
    DeadKey{XKB_KEY_dead_grave, U'`'},          DeadKey{XKB_KEY_dead_acute, U'\u00B4'},
    DeadKey{XKB_KEY_dead_circumflex, U'^'},     DeadKey{XKB_KEY_dead_tilde, U'~'},
    DeadKey{XKB_KEY_dead_macron, U'\u00AF'},    DeadKey{XKB_KEY_dead_breve, U'\u02D8'},
    DeadKey{XKB_KEY_dead_abovedot, U'\u02D9'},  DeadKey{XKB_KEY_dead_diaeresis, U'\u00A8'},
    DeadKey{XKB_KEY_dead_abovering, U'\u02DA'}, DeadKey{XKB_KEY_dead_doubleacute, U'\u02DD'},
    DeadKey{XKB_KEY_dead_caron, U'\u02C7'},     DeadKey{XKB_KEY_dead_cedilla, U'\u00B8'},
    DeadKey{XKB_KEY_dead_ogonek, U'\u02DB'},
};

std::string utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

} // namespace

std::optional<std::string> textOfKeysym(std::uint32_t keysym)
{
    const auto* dead = std::find_if(kDeadKeys.begin(), kDeadKeys.end(),
                                    [&](const DeadKey& d) { return d.keysym == keysym; });
    if (dead != kDeadKeys.end())
        return utf8Of(dead->accent);
    const auto c = xkb_keysym_to_utf32(keysym);
    if (c == 0 || c < 0x20 || (c >= 0x7F && c < 0xA0))
        return std::nullopt;
    return utf8Of(c);
}

} // namespace ondrel::platform::freedesktop
