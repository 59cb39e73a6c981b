#include "Localization.h"

#include <array>
#include <utility>

namespace ondrel::shortcuts {
namespace {

// The component's own texts (English). Arguments are written %1, %2, ...
constexpr std::array<std::pair<std::string_view, std::string_view>, 9> englishTexts{{
    {"record_shortcut", "Record Shortcut"},
    {"press_shortcut", "Press Shortcut"},
    {"keyboard_shortcut_used_by_menu_item",
     "This keyboard shortcut cannot be used as it\u2019s already used by the \u201C%1\u201D menu "
     "item."},
    {"keyboard_shortcut_disallowed",
     "This keyboard shortcut cannot be used because it only uses the Option key (and possibly "
     "Shift)."},
    {"keyboard_shortcut_used_by_system",
     "This keyboard shortcut cannot be used as it\u2019s already a system-wide keyboard "
     "shortcut."},
    {"keyboard_shortcuts_can_be_changed",
     "Most system-wide keyboard shortcuts can be changed in your desktop\u2019s keyboard "
     "settings."},
    {"ok", "OK"},
    {"force_use_shortcut", "Use Anyway"},
    {"space_key", "space"},
}};

} // namespace

std::string localized(std::string_view key)
{
    for (const auto& [textKey, text] : englishTexts) {
        if (textKey == key) {
            return std::string(text);
        }
    }
    return std::string(key);
}

std::string localizedFormat(std::string_view key, const std::vector<std::string>& arguments)
{
    const std::string format = localized(key);
    std::string result;
    result.reserve(format.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] >= '1' &&
            format[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(format[i + 1] - '1');
            if (index < arguments.size()) {
                result += arguments[index];
                ++i;
                continue;
            }
        }
        result += format[i];
    }
    return result;
}

} // namespace ondrel::shortcuts
