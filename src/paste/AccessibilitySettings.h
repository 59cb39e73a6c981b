#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::paste {

// A program to start, with its arguments.
struct SettingsCommand
{
    std::string program; // an absolute path
    std::vector<std::string> arguments;

    bool operator==(const SettingsCommand&) const = default;
};

// Where a Linux desktop lets the user switch assistive technologies on: the one place that maps
// desktops to their settings programs. Desktops without such a program get nothing.
class AccessibilitySettings
{
public:
    /// The absolute path of an installed program, or none.
    using ProgramFinder = std::function<std::optional<std::string>(std::string_view name)>;

    /// The command for the desktops listed in currentDesktops (XDG_CURRENT_DESKTOP, entries
    /// separated by ':'), using the first one that has an installed settings program.
    static std::optional<SettingsCommand> command(std::string_view currentDesktops,
                                                  const ProgramFinder& findProgram);
    /// Looks name up in the directories of PATH.
    static std::optional<std::string> findOnPath(std::string_view name);
    /// Starts command detached from this process; false when it could not be started.
    static bool launchDetached(const SettingsCommand& command);
    /// Opens the current desktop's accessibility settings, when it has any; false otherwise.
    static bool open();
};

} // namespace ondrel::paste
