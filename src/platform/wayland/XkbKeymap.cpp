#include "XkbKeymap.h"

#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <sstream>

namespace ondrel::platform::wayland {

namespace {

const char* orNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

} // namespace

XkbKeymap::XkbKeymap(const XkbNames& names) : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
    if (!m_context)
        return;
    const xkb_rule_names rules{orNull(names.rules), orNull(names.model), orNull(names.layout),
                               orNull(names.variant), orNull(names.options)};
    m_keymap = xkb_keymap_new_from_names(m_context, &rules, XKB_KEYMAP_COMPILE_NO_FLAGS);
    // A layout the configuration names but this machine lacks still leaves a usable keyboard.
    if (!m_keymap)
        m_keymap = xkb_keymap_new_from_names(m_context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
}

XkbKeymap::~XkbKeymap()
{
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

std::string XkbKeymap::text() const
{
    if (!m_keymap)
        return {};
    std::unique_ptr<char, decltype(&std::free)> text(
        xkb_keymap_get_as_string(m_keymap, XKB_KEYMAP_FORMAT_TEXT_V1), &std::free);
    return text ? std::string(text.get()) : std::string{};
}

std::optional<std::uint32_t> XkbKeymap::keysymAt(std::uint32_t xkbKeycode) const
{
    if (!m_keymap)
        return std::nullopt;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(m_keymap, xkbKeycode, 0, 0, &syms) < 1)
        return std::nullopt;
    return syms[0];
}

std::optional<std::uint32_t> XkbKeymap::keycodeFor(std::uint32_t keysym) const
{
    if (!m_keymap)
        return std::nullopt;
    for (auto code = xkb_keymap_min_keycode(m_keymap); code <= xkb_keymap_max_keycode(m_keymap);
         ++code) {
        if (keysymAt(code) == keysym)
            return code;
    }
    return std::nullopt;
}

std::uint32_t XkbKeymap::modifierBit(const char* name) const
{
    if (!m_keymap)
        return 0;
    const auto index = xkb_keymap_mod_get_index(m_keymap, name);
    return index == XKB_MOD_INVALID ? 0 : 1u << index;
}

XkbNames XkbKeymap::namesFromSwayConfig(const std::string& config)
{
    XkbNames names;
    std::istringstream lines(config);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string word;
        std::string value;
        // "input <identifier> xkb_layout de" or, inside an input block, "xkb_layout de".
        while (words >> word) {
            if (!word.starts_with("xkb_") || !(words >> value))
                continue;
            if (word == "xkb_rules")
                names.rules = value;
            else if (word == "xkb_model")
                names.model = value;
            else if (word == "xkb_layout")
                names.layout = value;
            else if (word == "xkb_variant")
                names.variant = value;
            else if (word == "xkb_options")
                names.options = value;
        }
    }
    return names;
}

} // namespace ondrel::platform::wayland
