#include "X11Keymap.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

// xcb's XKB header names a field "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

namespace ondrel::platform::x11 {

namespace {

std::optional<std::uint32_t> keysymOf(xkb_keymap* map, std::uint8_t keycode, std::uint32_t layout)
{
    if (!map)
        return std::nullopt;
    const auto layouts = xkb_keymap_num_layouts_for_key(map, keycode);
    if (layouts == 0)
        return std::nullopt;
    // A key with fewer groups than the keyboard wraps the group, as the server does by default.
    const xkb_layout_index_t keyLayout = layout % layouts;
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(map, keycode, keyLayout, 0, &syms);
    if (count < 1 || syms[0] == XKB_KEY_NoSymbol)
        return std::nullopt;
    return syms[0];
}

// Most letter keys of the group type a Latin letter. Not all: Turkish puts a dotless i on I,
// and is a Latin layout all the same.
bool typesLatinLetters(xkb_keymap* map, std::uint32_t layout)
{
    // The evdev keycodes of the three letter rows.
    constexpr std::pair<std::uint8_t, std::uint8_t> letterRows[] = {{24, 33}, {38, 46}, {52, 58}};
    int latin = 0;
    for (const auto& [first, last] : letterRows) {
        for (auto keycode = first; keycode <= last; ++keycode) {
            const auto keysym = keysymOf(map, keycode, layout).value_or(XKB_KEY_NoSymbol);
            latin += (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) ||
                     (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z);
        }
    }
    return latin > 13;
}

} // namespace

void X11Keymap::ContextDeleter::operator()(xkb_context* context) const
{
    xkb_context_unref(context);
}

void X11Keymap::KeymapDeleter::operator()(xkb_keymap* keymap) const
{
    xkb_keymap_unref(keymap);
}

X11Keymap::X11Keymap(xcb_connection_t* connection) : m_connection(connection)
{
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint8_t firstError = 0;
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, &major, &minor, &m_firstEvent, &firstError))
        return;
    m_deviceId = xkb_x11_get_core_keyboard_device_id(connection);
    if (m_deviceId < 0)
        return;
    m_context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));

    // Keymap changes must reach us so hotkeys can be grabbed again and keysyms looked up anew.
    constexpr std::uint16_t events =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    constexpr std::uint16_t mapParts =
        XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
        XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
        XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    xcb_xkb_select_events_aux(connection, static_cast<xcb_xkb_device_spec_t>(m_deviceId), events, 0,
                              0, mapParts, mapParts, &details);

    // A held key then repeats as press, press, press instead of release+press pairs, so a
    // held hotkey is not taken for a series of presses.
    auto flags =
        xcb_xkb_per_client_flags(connection, static_cast<xcb_xkb_device_spec_t>(m_deviceId),
                                 XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                 XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0);
    std::free(xcb_xkb_per_client_flags_reply(connection, flags, nullptr));
}

X11Keymap::~X11Keymap() = default;

void X11Keymap::invalidate()
{
    m_keymap.reset();
    m_modifierMap.reset();
    m_roles.reset();
}

bool X11Keymap::isMappingChange(const xcb_generic_event_t& event) const
{
    const auto type = event.response_type & 0x7F;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto& mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
        return mapping.request != XCB_MAPPING_POINTER;
    }
    if (hasXkb() && type == m_firstEvent) {
        // Every XKB event carries its own kind in the second byte.
        const auto kind = event.pad0;
        return kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY;
    }
    return false;
}

xkb_keymap* X11Keymap::keymap()
{
    if (!m_keymap && m_context) {
        m_keymap.reset(xkb_x11_keymap_new_from_device(m_context.get(), m_connection, m_deviceId,
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    return m_keymap.get();
}

std::uint32_t X11Keymap::currentLayout()
{
    if (!hasXkb())
        return 0;
    auto cookie = xcb_xkb_get_state(m_connection, static_cast<xcb_xkb_device_spec_t>(m_deviceId));
    auto* reply = xcb_xkb_get_state_reply(m_connection, cookie, nullptr);
    if (!reply)
        return 0;
    const std::uint32_t group = reply->group;
    std::free(reply);
    return group;
}

std::optional<std::uint32_t> X11Keymap::keysymIn(std::uint8_t keycode, std::uint32_t layout)
{
    return keysymOf(keymap(), keycode, layout);
}

std::optional<std::uint32_t> X11Keymap::keysymAt(std::uint8_t keycode)
{
    return keysymIn(keycode, currentLayout());
}

xkb_keymap* X11Keymap::usKeymap()
{
    if (!m_usKeymap && m_context) {
        const xkb_rule_names names{nullptr, nullptr, "us", nullptr, nullptr};
        m_usKeymap.reset(
            xkb_keymap_new_from_names(m_context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    return m_usKeymap.get();
}

std::optional<std::uint32_t> X11Keymap::latinKeysymAt(std::uint8_t keycode)
{
    auto* map = keymap();
    if (!map)
        return std::nullopt;
    const auto current = currentLayout();
    if (typesLatinLetters(map, current))
        return keysymIn(keycode, current);
    for (xkb_layout_index_t layout = 0; layout < xkb_keymap_num_layouts(map); ++layout) {
        if (typesLatinLetters(map, layout))
            return keysymIn(keycode, layout);
    }
    // A keyboard with no Latin group at all (Russian alone): its keys still sit where a US
    // keyboard's do.
    return keysymOf(usKeymap(), keycode, 0);
}

std::optional<std::uint8_t> X11Keymap::keycodeForKeysym(std::uint32_t keysym)
{
    auto* map = keymap();
    if (!map)
        return std::nullopt;
    const auto layout = currentLayout();
    const auto last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(map), 255);
    for (auto keycode = std::max<xkb_keycode_t>(xkb_keymap_min_keycode(map), 8); keycode <= last;
         ++keycode) {
        if (keysymIn(static_cast<std::uint8_t>(keycode), layout) == keysym)
            return static_cast<std::uint8_t>(keycode);
    }
    return std::nullopt;
}

const ModifierMap& X11Keymap::modifierMap()
{
    if (m_modifierMap)
        return *m_modifierMap;
    ModifierMap map;
    auto cookie = xcb_get_modifier_mapping(m_connection);
    if (auto* reply = xcb_get_modifier_mapping_reply(m_connection, cookie, nullptr)) {
        const auto* keycodes = xcb_get_modifier_mapping_keycodes(reply);
        const auto perModifier = reply->keycodes_per_modifier;
        for (std::size_t row = 0; row < map.size(); ++row) {
            for (std::size_t i = 0; i < perModifier; ++i) {
                if (const auto keycode = keycodes[row * perModifier + i]; keycode != 0)
                    map[row].push_back(keycode);
            }
        }
        std::free(reply);
        m_modifierMap = std::move(map);
        return *m_modifierMap;
    }
    static const ModifierMap empty;
    return empty;
}

ModifierRoles X11Keymap::roles()
{
    if (m_roles)
        return *m_roles;
    const auto& map = modifierMap();
    auto* xkbMap = keymap();
    const auto roles = modifierRoles(map, [&](std::uint8_t keycode) {
        std::vector<std::uint32_t> syms;
        if (!xkbMap)
            return syms;
        const auto layouts = xkb_keymap_num_layouts_for_key(xkbMap, keycode);
        for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
            const auto levels = xkb_keymap_num_levels_for_key(xkbMap, keycode, layout);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* found = nullptr;
                const int count =
                    xkb_keymap_key_get_syms_by_level(xkbMap, keycode, layout, level, &found);
                syms.insert(syms.end(), found, found + std::max(count, 0));
            }
        }
        return syms;
    });
    m_roles = roles;
    return roles;
}

} // namespace ondrel::platform::x11
