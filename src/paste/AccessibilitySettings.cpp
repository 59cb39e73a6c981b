#include "AccessibilitySettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace ondrel::paste {

namespace {

struct DesktopSettings
{
    std::string_view desktop; // an XDG_CURRENT_DESKTOP entry, compared ignoring case
    std::string_view program;
    std::string_view argument; // empty: none
};

// In order of preference within a desktop.
constexpr DesktopSettings settingsPrograms[] = {
    {"GNOME", "gnome-control-center", "universal-access"},
    {"Unity", "gnome-control-center", "universal-access"},
    {"Budgie", "budgie-control-center", "universal-access"},
    {"X-Cinnamon", "cinnamon-settings", "universal-access"},
    {"KDE", "systemsettings", "kcm_access"},
    {"KDE", "systemsettings5", "kcm_access"},
    {"XFCE", "xfce4-accessibility-settings", ""},
    {"MATE", "mate-at-properties", ""},
};

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::optional<SettingsCommand> AccessibilitySettings::command(std::string_view currentDesktops,
                                                              const ProgramFinder& findProgram)
{
    while (!currentDesktops.empty()) {
        const std::size_t colon = currentDesktops.find(':');
        const std::string_view desktop = currentDesktops.substr(0, colon);
        currentDesktops = colon == std::string_view::npos ? std::string_view()
                                                          : currentDesktops.substr(colon + 1);
        for (const DesktopSettings& entry : settingsPrograms) {
            if (!equalIgnoringCase(entry.desktop, desktop))
                continue;
            if (std::optional<std::string> path = findProgram(entry.program)) {
                SettingsCommand command{std::move(*path), {}};
                if (!entry.argument.empty())
                    command.arguments.emplace_back(entry.argument);
                return command;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> AccessibilitySettings::findOnPath(std::string_view name)
{
    const char* path = std::getenv("PATH");
    std::string_view directories = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = directories.find(':');
        const std::string_view directory = directories.substr(0, colon);
        if (!directory.empty() && directory.front() == '/') {
            std::string candidate = std::string(directory) + "/" + std::string(name);
            struct stat info
            {};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos)
            return std::nullopt;
        directories.remove_prefix(colon + 1);
    }
}

bool AccessibilitySettings::launchDetached(const SettingsCommand& command)
{
    // Everything the child needs is prepared before fork: after it, only async-signal-safe
    // calls are allowed in a process with threads.
    std::vector<std::string> words{command.program};
    words.insert(words.end(), command.arguments.begin(), command.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2] = {-1, -1};
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;

    // Fork twice so that the program is adopted by init and never becomes our zombie.
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            ::execv(argv[0], argv.data());
            const int error = errno;
            [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int execError = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

bool AccessibilitySettings::open()
{
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    const std::optional<SettingsCommand> settings = command(desktops ? desktops : "", findOnPath);
    return settings && launchDetached(*settings);
}

} // namespace ondrel::paste
