#include "SelectionTargets.h"

#include <algorithm>
#include <array>

namespace ondrel::platform::freedesktop {

namespace {

constexpr std::array<std::string_view, 8> kPseudoTargets{
    "TARGETS", "MULTIPLE",         "TIMESTAMP",       "SAVE_TARGETS",
    "DELETE",  "INSERT_SELECTION", "INSERT_PROPERTY", "application/x-qt-image",
};

struct Alias
{
    std::string_view source;
    std::string_view target;
    std::string_view propertyType;
    bool latin1 = false;
};

constexpr std::array kAliases{
    Alias{PasteboardType::string, "UTF8_STRING", "UTF8_STRING"},
    Alias{PasteboardType::string, "STRING", "STRING", true},
    Alias{PasteboardType::string, "TEXT", "UTF8_STRING"},
    Alias{PasteboardType::string, "text/plain", "text/plain"},
    Alias{PasteboardType::rtf, "application/rtf", "application/rtf"},
};

} // namespace

bool isPseudoTarget(std::string_view target)
{
    return std::find(kPseudoTargets.begin(), kPseudoTargets.end(), target) != kPseudoTargets.end();
}

std::vector<ServedTarget> servedTargets(const PasteboardItem& item)
{
    std::vector<ServedTarget> served;
    auto find = [&](std::string_view target) {
        return std::find_if(served.begin(), served.end(),
                            [&](const ServedTarget& t) { return t.target == target; });
    };
    for (const auto& entry : item) {
        if (entry.type.empty() || isPseudoTarget(entry.type))
            continue;
        auto data = std::make_shared<const std::vector<std::byte>>(entry.data);
        if (auto it = find(entry.type); it != served.end()) {
            it->data = std::move(data);
            continue;
        }
        // TEXT lets the owner choose the encoding; we always answer in UTF-8.
        const std::string type = entry.type == "TEXT" ? "UTF8_STRING" : entry.type;
        served.push_back({entry.type, type, std::move(data)});
    }
    for (const auto& alias : kAliases) {
        const auto source = find(alias.source);
        if (source == served.end() || find(alias.target) != served.end())
            continue;
        auto data = source->data;
        if (alias.latin1) {
            auto latin1 = utf8ToLatin1(*data);
            if (!latin1)
                continue; // STRING cannot carry this text; the requestor will ask for another
            data = std::make_shared<const std::vector<std::byte>>(std::move(*latin1));
        }
        // Keep each alias next to the type it stands for.
        auto position = find(alias.source) + 1;
        while (position != served.end() && position->data == source->data)
            ++position;
        served.insert(position, {std::string(alias.target), std::string(alias.propertyType),
                                 std::move(data)});
    }
    return served;
}

std::optional<std::vector<std::byte>> utf8ToLatin1(const std::vector<std::byte>& utf8)
{
    std::vector<std::byte> out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = std::to_integer<unsigned>(utf8[i]);
        if (lead < 0x80) {
            out.push_back(utf8[i]);
            continue;
        }
        // Only two-byte sequences C2 80 .. C3 BF encode U+0080 .. U+00FF.
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 == utf8.size())
            return std::nullopt;
        const auto next = std::to_integer<unsigned>(utf8[++i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        out.push_back(static_cast<std::byte>(((lead & 0x1F) << 6) | (next & 0x3F)));
    }
    return out;
}

} // namespace ondrel::platform::freedesktop
