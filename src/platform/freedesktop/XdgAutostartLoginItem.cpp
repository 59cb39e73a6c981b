#include "XdgAutostartLoginItem.h"

#include "XdgConfigDirs.h"

#include <QDir>
#include <QSaveFile>
#include <QString>

#include <fstream>
#include <map>
#include <string_view>

namespace ondrel::platform::freedesktop {

namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// The keys of the [Desktop Entry] group; other groups (actions) do not count.
std::optional<std::map<std::string, std::string>> readEntry(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in) {
        return std::nullopt;
    }
    std::map<std::string, std::string> keys;
    bool inMainGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = trimmed(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        if (text.front() == '[') {
            inMainGroup = text == "[Desktop Entry]";
            continue;
        }
        const auto equals = text.find('=');
        if (inMainGroup && equals != std::string::npos) {
            keys.try_emplace(trimmed(std::string_view(text).substr(0, equals)),
                             trimmed(std::string_view(text).substr(equals + 1)));
        }
    }
    return keys;
}

bool isEnabled(const std::map<std::string, std::string>& keys)
{
    auto valueOf = [&](const std::string& key) {
        auto found = keys.find(key);
        return found == keys.end() ? std::string() : found->second;
    };
    return valueOf("Hidden") != "true" && valueOf("X-GNOME-Autostart-enabled") != "false";
}

// The entry that decides, by the XDG autostart rules: the user's, else the first system one.
std::optional<std::map<std::string, std::string>> effectiveEntry(const std::filesystem::path& user,
                                                                 const std::string& fileName)
{
    if (auto entry = readEntry(user)) {
        return entry;
    }
    for (const auto& dir : xdgConfigDirs()) {
        if (auto entry = readEntry(dir / "autostart" / fileName)) {
            return entry;
        }
    }
    return std::nullopt;
}

bool systemEntryEnabled(const std::string& fileName)
{
    for (const auto& dir : xdgConfigDirs()) {
        if (auto entry = readEntry(dir / "autostart" / fileName)) {
            return isEnabled(*entry);
        }
    }
    return false;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem()
    : XdgAutostartLoginItem("ondrel", runningExecutable())
{}

XdgAutostartLoginItem::XdgAutostartLoginItem(std::string appId, std::filesystem::path executable)
    : m_appId(std::move(appId)), m_executable(std::move(executable))
{}

std::filesystem::path XdgAutostartLoginItem::entryPath() const
{
    return xdgConfigHome() / "autostart" / (m_appId + ".desktop");
}

LoginItemStatus XdgAutostartLoginItem::status()
{
    const auto entry = effectiveEntry(entryPath(), m_appId + ".desktop");
    return entry && isEnabled(*entry) ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
}

std::optional<std::string> XdgAutostartLoginItem::registerItem()
{
    if (m_executable.empty() || !m_executable.is_absolute()) {
        return "The Ondrel program file could not be found, so it cannot start at login.";
    }
    if (m_executable.string().find_first_of("\n\r") != std::string::npos) {
        return "The path of the Ondrel program contains a line break and cannot be started "
               "at login.";
    }
    return writeEntry("[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=Ondrel\n"
                      "Comment=Context-aware paste\n"
                      "Exec=" +
                      execValue(m_executable) +
                      "\n"
                      "Icon=ondrel\n"
                      "Terminal=false\n"
                      "X-GNOME-Autostart-enabled=true\n");
}

std::optional<std::string> XdgAutostartLoginItem::unregisterItem()
{
    // An entry installed for all users can only be overridden, not removed.
    if (systemEntryEnabled(m_appId + ".desktop")) {
        return writeEntry("[Desktop Entry]\nType=Application\nName=Ondrel\nHidden=true\n");
    }
    std::error_code error;
    std::filesystem::remove(entryPath(), error);
    // No folder, or a file where the folder should be: there is no entry to remove either.
    if (error && error != std::errc::not_a_directory) {
        return "Could not remove " + entryPath().string() + ": " + error.message();
    }
    return std::nullopt;
}

std::filesystem::path XdgAutostartLoginItem::runningExecutable()
{
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error) {
        return {};
    }
    // After an upgrade replaced the program, the link names the old file as "(deleted)";
    // the path itself is where the new program lives.
    if (path.ends_with(kDeletedSuffix)) {
        path.resize(path.size() - kDeletedSuffix.size());
    }
    return path;
}

std::string XdgAutostartLoginItem::execValue(const std::filesystem::path& program)
{
    const std::string path = program.string();
    constexpr std::string_view reserved = " \t\"'\\><~|&;$*?#()`";
    std::string out;
    const bool quote = path.find_first_of(reserved) != std::string::npos;
    if (quote) {
        out += '"';
    }
    for (char c : path) {
        if (c == '%') {
            out += "%%"; // a field code otherwise
        } else if (quote && (c == '"' || c == '`' || c == '$')) {
            out += '\\';
            out += c;
        } else if (quote && c == '\\') {
            // Escaped once for the quoting and once more for the string value itself.
            out += "\\\\\\\\";
        } else {
            out += c;
        }
    }
    if (quote) {
        out += '"';
    }
    return out;
}

std::optional<std::string> XdgAutostartLoginItem::writeEntry(const std::string& text)
{
    const std::filesystem::path path = entryPath();
    const QString folder = QString::fromStdString(path.parent_path().string());
    if (!QDir().mkpath(folder)) {
        return "Could not create the folder " + folder.toStdString();
    }
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        return "Could not write " + path.string() + ": " + file.errorString().toStdString();
    }
    return std::nullopt;
}

} // namespace ondrel::platform::freedesktop
