#include "DesktopEntries.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

namespace ondrel::platform::freedesktop {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDesktopSuffix = ".desktop";
constexpr auto kRecheckInterval = std::chrono::seconds(1);

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Undoes the escapes of a desktop entry string value (\s \n \t \r \\).
std::string unescape(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        switch (value[++i]) {
        case 's':
            out.push_back(' ');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case '\\':
            out.push_back('\\');
            break;
        default:
            out.push_back('\\');
            out.push_back(value[i]);
        }
    }
    return out;
}

// The locale keys to try for a translated value, most specific first:
// lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang.
std::vector<std::string> localeCandidates(const std::string& locale)
{
    if (locale.empty() || locale == "C" || locale == "POSIX")
        return {};
    std::string rest = locale;
    std::string modifier;
    if (const auto at = rest.find('@'); at != std::string::npos) {
        modifier = rest.substr(at + 1);
        rest.erase(at);
    }
    if (const auto dot = rest.find('.'); dot != std::string::npos)
        rest.erase(dot);
    std::string lang = rest;
    std::string country;
    if (const auto underscore = rest.find('_'); underscore != std::string::npos) {
        lang = rest.substr(0, underscore);
        country = rest.substr(underscore + 1);
    }
    std::vector<std::string> candidates;
    if (!country.empty() && !modifier.empty())
        candidates.push_back(lang + "_" + country + "@" + modifier);
    if (!country.empty())
        candidates.push_back(lang + "_" + country);
    if (!modifier.empty())
        candidates.push_back(lang + "@" + modifier);
    candidates.push_back(lang);
    return candidates;
}

bool isTrue(const std::string& value)
{
    return value == "true";
}

} // namespace

DesktopEntries::DesktopEntries(std::vector<fs::path> dataDirs, std::string locale)
    : m_dataDirs(std::move(dataDirs)), m_locale(std::move(locale))
{}

DesktopEntries::DesktopEntries() : DesktopEntries(xdgDataDirs(), messagesLocale()) {}

std::vector<fs::path> DesktopEntries::xdgDataDirs()
{
    std::vector<fs::path> dirs;
    auto add = [&](const fs::path& dir) {
        // Relative entries are invalid by the XDG rules and are ignored.
        if (dir.is_absolute() && std::find(dirs.begin(), dirs.end(), dir) == dirs.end())
            dirs.push_back(dir);
    };
    if (const auto dataHome = environment("XDG_DATA_HOME"); !dataHome.empty())
        add(dataHome);
    else if (const auto home = environment("HOME"); !home.empty())
        add(fs::path(home) / ".local/share");
    auto dataDirs = environment("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share/:/usr/share/";
    std::stringstream stream(dataDirs);
    for (std::string dir; std::getline(stream, dir, ':');) {
        if (!dir.empty())
            add(fs::path(dir).lexically_normal());
    }
    return dirs;
}

std::string DesktopEntries::messagesLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (auto value = environment(name); !value.empty())
            return value;
    }
    return {};
}

std::optional<DesktopEntry> DesktopEntries::read(const fs::path& file, const std::string& id,
                                                 const std::string& locale)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::map<std::string, std::string, std::less<>> values;
    bool inMainGroup = false;
    bool sawMainGroup = false;
    for (std::string line; std::getline(in, line);) {
        const auto text = trim(line);
        if (text.empty() || text.front() == '#')
            continue;
        if (text.front() == '[') {
            inMainGroup = text == "[Desktop Entry]";
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        if (!inMainGroup)
            continue;
        const auto equals = text.find('=');
        if (equals == std::string_view::npos)
            continue;
        const auto key = std::string(trim(text.substr(0, equals)));
        // The first occurrence of a key counts; later duplicates are ignored.
        values.emplace(key, unescape(trim(text.substr(equals + 1))));
    }
    if (!sawMainGroup)
        return std::nullopt;

    auto value = [&](std::string_view key) -> std::optional<std::string> {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    };
    DesktopEntry entry;
    entry.id = id;
    entry.path = file;
    entry.type = value("Type").value_or("");
    for (const auto& candidate : localeCandidates(locale)) {
        if (auto name = value("Name[" + candidate + "]"); name && !name->empty()) {
            entry.name = *name;
            break;
        }
    }
    if (entry.name.empty())
        entry.name = value("Name").value_or("");
    entry.icon = value("Icon");
    if (entry.icon && entry.icon->empty())
        entry.icon.reset();
    entry.startupWMClass = value("StartupWMClass");
    entry.noDisplay = isTrue(value("NoDisplay").value_or(""));
    entry.hidden = isTrue(value("Hidden").value_or(""));
    return entry;
}

std::string DesktopEntries::idForPath(const fs::path& file) const
{
    const auto normal = file.lexically_normal();
    for (const auto& dir : m_dataDirs) {
        const auto relative = normal.lexically_relative(dir / "applications");
        if (relative.empty() || *relative.begin() == "..")
            continue;
        std::string id;
        for (const auto& part : relative) {
            if (!id.empty())
                id += '-';
            id += part.string();
        }
        if (id.ends_with(kDesktopSuffix))
            id.erase(id.size() - kDesktopSuffix.size());
        return id;
    }
    auto name = normal.filename().string();
    if (name.ends_with(kDesktopSuffix))
        name.erase(name.size() - kDesktopSuffix.size());
    return name;
}

std::optional<DesktopEntry> DesktopEntries::readFile(const fs::path& file) const
{
    return read(file, idForPath(file), m_locale);
}

std::map<fs::path, fs::file_time_type> DesktopEntries::directoryTimes() const
{
    std::map<fs::path, fs::file_time_type> times;
    for (const auto& dataDir : m_dataDirs) {
        std::error_code error;
        const auto root = dataDir / "applications";
        if (!fs::is_directory(root, error))
            continue;
        times[root] = fs::last_write_time(root, error);
        for (fs::recursive_directory_iterator
                 it(root, fs::directory_options::follow_directory_symlink, error),
             end;
             !error && it != end; it.increment(error)) {
            if (it->is_directory(error))
                times[it->path()] = fs::last_write_time(it->path(), error);
        }
    }
    return times;
}

void DesktopEntries::rebuild()
{
    m_entries.clear();
    m_directoryTimes = directoryTimes();
    for (const auto& dataDir : m_dataDirs) {
        std::error_code error;
        const auto root = dataDir / "applications";
        if (!fs::is_directory(root, error))
            continue;
        for (fs::recursive_directory_iterator
                 it(root, fs::directory_options::follow_directory_symlink, error),
             end;
             !error && it != end; it.increment(error)) {
            const auto& path = it->path();
            if (path.extension() != kDesktopSuffix || !it->is_regular_file(error))
                continue;
            const auto id = idForPath(path);
            // A directory earlier in the list shadows the same ID later, even when the
            // earlier entry is Hidden (that is how a user deletes a system entry).
            if (m_entries.contains(id))
                continue;
            if (auto entry = read(path, id, m_locale))
                m_entries.emplace(id, std::move(*entry));
        }
    }
    m_built = true;
}

void DesktopEntries::refreshIfChanged()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_built && now - m_lastCheck < kRecheckInterval)
        return;
    m_lastCheck = now;
    if (!m_built || directoryTimes() != m_directoryTimes)
        rebuild();
}

std::optional<DesktopEntry> DesktopEntries::byId(const std::string& id)
{
    std::lock_guard lock(m_mutex);
    refreshIfChanged();
    const auto it = m_entries.find(id);
    if (it == m_entries.end() || !it->second.isApplication())
        return std::nullopt;
    return it->second;
}

std::optional<DesktopEntry> DesktopEntries::byStartupWMClass(const std::string& wmClass)
{
    if (wmClass.empty())
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    refreshIfChanged();
    for (const auto& [id, entry] : m_entries) {
        if (entry.isApplication() && entry.startupWMClass == wmClass)
            return entry;
    }
    return std::nullopt;
}

} // namespace ondrel::platform::freedesktop
