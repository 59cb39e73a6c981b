#include "XdgConfigDirs.h"

#include <cstdlib>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace ondrel::platform::freedesktop {

namespace {

std::string_view environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

std::filesystem::path homeDirectory()
{
    if (auto home = environment("HOME"); !home.empty()) {
        return std::filesystem::path(home);
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
        return std::filesystem::path(entry->pw_dir);
    }
    return std::filesystem::path("/");
}

} // namespace

std::filesystem::path xdgConfigHome()
{
    // The XDG rules ignore relative values.
    if (std::filesystem::path configured(environment("XDG_CONFIG_HOME"));
        configured.is_absolute()) {
        return configured;
    }
    return homeDirectory() / ".config";
}

std::vector<std::filesystem::path> xdgConfigDirs()
{
    std::vector<std::filesystem::path> result;
    std::string_view list = environment("XDG_CONFIG_DIRS");
    while (!list.empty()) {
        const auto colon = list.find(':');
        std::filesystem::path entry(list.substr(0, colon));
        if (entry.is_absolute()) {
            result.push_back(entry);
        }
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    if (result.empty()) {
        result.emplace_back("/etc/xdg");
    }
    return result;
}

} // namespace ondrel::platform::freedesktop
