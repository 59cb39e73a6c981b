#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform::freedesktop {

// What the system reads from one desktop entry (a .desktop file).
struct DesktopEntry
{
    std::string id; // the desktop-file ID without ".desktop", e.g. "firefox-esr"
    std::filesystem::path path;
    std::string type;
    std::string name; // the Name for the user's locale, else the plain Name
    std::optional<std::string> icon;
    std::optional<std::string> startupWMClass;
    bool noDisplay = false;
    bool hidden = false;

    /// A usable application entry: Type=Application, a Name, and not deleted (Hidden).
    /// NoDisplay entries still name an application; they are only kept out of menus.
    bool isApplication() const { return type == "Application" && !name.empty() && !hidden; }
    bool operator==(const DesktopEntry&) const = default;
};

// The index of the desktop entries in the XDG data directories, by ID. The first directory
// that has an ID wins, as the XDG menu rules say. The index is built on first use and built
// again when one of its directories changed (looked at no more than once a second, as one
// look-up asks several questions); it may be used from any thread.
class DesktopEntries final
{
public:
    /// Uses the given data directories (each holding applications/), in priority order.
    DesktopEntries(std::vector<std::filesystem::path> dataDirs, std::string locale);
    /// Uses $XDG_DATA_HOME and $XDG_DATA_DIRS and the locale of messages.
    DesktopEntries();

    /// The usable application entry with this ID, if any.
    std::optional<DesktopEntry> byId(const std::string& id);
    /// The first usable application entry whose StartupWMClass equals wmClass exactly.
    std::optional<DesktopEntry> byStartupWMClass(const std::string& wmClass);
    /// The desktop-file ID a path would have if it lies in one of the data directories
    /// (subdirectories joined by "-"), else the file name without ".desktop".
    std::string idForPath(const std::filesystem::path& file) const;
    /// Reads the entry at file with this index's locale and the ID idForPath gives it.
    std::optional<DesktopEntry> readFile(const std::filesystem::path& file) const;

    /// Reads one entry; none when the file cannot be read or has no [Desktop Entry] group.
    static std::optional<DesktopEntry> read(const std::filesystem::path& file,
                                            const std::string& id, const std::string& locale);
    /// $XDG_DATA_HOME (default ~/.local/share) then $XDG_DATA_DIRS (default
    /// /usr/local/share:/usr/share), without repeats.
    static std::vector<std::filesystem::path> xdgDataDirs();
    /// The locale that selects translations: LC_ALL, else LC_MESSAGES, else LANG.
    static std::string messagesLocale();

private:
    void refreshIfChanged();
    void rebuild();
    std::map<std::filesystem::path, std::filesystem::file_time_type> directoryTimes() const;

    std::vector<std::filesystem::path> m_dataDirs;
    std::string m_locale;
    std::mutex m_mutex;
    bool m_built = false;
    std::chrono::steady_clock::time_point m_lastCheck;
    std::map<std::filesystem::path, std::filesystem::file_time_type> m_directoryTimes;
    std::map<std::string, DesktopEntry> m_entries;
};

} // namespace ondrel::platform::freedesktop
