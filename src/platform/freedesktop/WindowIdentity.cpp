#include "WindowIdentity.h"

#include "platform/freedesktop/DesktopEntries.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>

namespace ondrel::platform::freedesktop {

namespace fs = std::filesystem;

namespace {

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string stripDesktopSuffix(std::string id)
{
    constexpr std::string_view suffix = ".desktop";
    if (id.ends_with(suffix))
        id.erase(id.size() - suffix.size());
    return id;
}

// "snap.NAME.APP" somewhere in text, up to the next character that cannot be in it.
std::optional<std::string> snapLabelIn(std::string_view text)
{
    constexpr std::string_view prefix = "snap.";
    for (auto at = text.find(prefix); at != std::string_view::npos;
         at = text.find(prefix, at + 1)) {
        if (at > 0 && text[at - 1] != '/' && text[at - 1] != ':')
            continue;
        auto end = at + prefix.size();
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) ||
                                     text[end] == '-' || text[end] == '.' || text[end] == '_'))
            ++end;
        auto label = std::string(text.substr(at + prefix.size(), end - at - prefix.size()));
        // A systemd scope looks like snap.NAME.APP-UUID.scope or snap.NAME.APP.PID.scope.
        if (label.ends_with(".scope"))
            label.erase(label.size() - 6);
        const auto firstDot = label.find('.');
        if (firstDot == std::string::npos || firstDot == 0 || firstDot + 1 == label.size())
            continue;
        auto app = label.substr(firstDot + 1);
        app = app.substr(0, app.find('.'));
        // A scope may append "-<uuid>" to the application name, which itself may hold '-'.
        for (auto dash = app.find('-'); dash != std::string::npos; dash = app.find('-', dash + 1)) {
            const auto rest = std::string_view(app).substr(dash + 1);
            if (rest.size() >= 8 && std::all_of(rest.begin(), rest.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c)) || c == '-';
                })) {
                app.erase(dash);
                break;
            }
        }
        if (app.empty())
            continue;
        return label.substr(0, firstDot) + "." + app;
    }
    return std::nullopt;
}

std::string readSmallFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (!in)
        return text;
    text.resize(64 * 1024);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

} // namespace

std::optional<std::string> flatpakApplicationId(std::int64_t pid, const fs::path& procRoot)
{
    if (pid <= 0)
        return std::nullopt;
    std::ifstream in(procRoot / std::to_string(pid) / "root/.flatpak-info");
    bool inApplication = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with('[')) {
            inApplication = line == "[Application]";
            continue;
        }
        if (inApplication && line.starts_with("name=")) {
            auto name = line.substr(5);
            if (!name.empty())
                return name;
        }
    }
    return std::nullopt;
}

std::optional<std::string> snapApplication(std::int64_t pid, const fs::path& procRoot)
{
    if (pid <= 0)
        return std::nullopt;
    const auto processDir = procRoot / std::to_string(pid);
    if (auto label = snapLabelIn(readSmallFile(processDir / "attr/current")))
        return label;
    return snapLabelIn(readSmallFile(processDir / "cgroup"));
}

std::optional<std::string> applicationIdFor(const WindowFacts& facts,
                                            freedesktop::DesktopEntries& entries,
                                            const fs::path& procRoot)
{
    if (facts.processIdentifier) {
        if (auto id = flatpakApplicationId(*facts.processIdentifier, procRoot))
            return id;
        if (auto snap = snapApplication(*facts.processIdentifier, procRoot)) {
            // Snap installs its desktop entries as NAME_APP.desktop.
            auto desktopId = *snap;
            std::replace(desktopId.begin(), desktopId.end(), '.', '_');
            if (entries.byId(desktopId))
                return desktopId;
            return snap->substr(0, snap->find('.'));
        }
    }
    if (!facts.kdeDesktopFile.empty()) {
        auto id = stripDesktopSuffix(fs::path(facts.kdeDesktopFile).filename().string());
        if (!id.empty())
            return id;
    }
    if (!facts.gtkApplicationId.empty())
        return facts.gtkApplicationId;
    for (const auto* wm : {&facts.wmInstance, &facts.wmClass}) {
        if (auto entry = entries.byStartupWMClass(*wm))
            return entry->id;
    }
    for (const auto& name : {facts.wmInstance, facts.wmClass, lowerAscii(facts.wmInstance),
                             lowerAscii(facts.wmClass)}) {
        if (!name.empty() && name.find('/') == std::string::npos && entries.byId(name))
            return name;
    }
    if (!facts.wmClass.empty())
        return "wmclass:" + facts.wmClass;
    if (!facts.wmInstance.empty())
        return "wmclass:" + facts.wmInstance;
    return std::nullopt;
}

} // namespace ondrel::platform::freedesktop
