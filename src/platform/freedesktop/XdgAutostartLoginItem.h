#pragma once

#include "platform/LoginItem.h"

#include <filesystem>

namespace ondrel::platform::freedesktop {

// Start at login through an XDG autostart entry, $XDG_CONFIG_HOME/autostart/<app id>.desktop.
// Enabled means the entry that wins (the user's, else one in $XDG_CONFIG_DIRS) exists and is
// neither Hidden=true nor X-GNOME-Autostart-enabled=false.
class XdgAutostartLoginItem final : public LoginItem
{
public:
    /// The entry "ondrel" starting the executable this process runs.
    XdgAutostartLoginItem();
    XdgAutostartLoginItem(std::string appId, std::filesystem::path executable);

    LoginItemStatus status() override;
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

    /// Where the user's entry lives (read from the environment at each call).
    std::filesystem::path entryPath() const;
    /// The absolute path of the running executable; empty when it cannot be found.
    static std::filesystem::path runningExecutable();
    /// The Exec value that runs program with no arguments, quoted as desktop entries need.
    static std::string execValue(const std::filesystem::path& program);

private:
    std::optional<std::string> writeEntry(const std::string& text);

    std::string m_appId;
    std::filesystem::path m_executable;
};

} // namespace ondrel::platform::freedesktop
