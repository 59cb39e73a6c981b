#pragma once

#include <filesystem>
#include <vector>

namespace ondrel::platform::freedesktop {

/// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::filesystem::path xdgConfigHome();
/// $XDG_CONFIG_DIRS (absolute entries only), else /etc/xdg; in priority order.
std::vector<std::filesystem::path> xdgConfigDirs();

} // namespace ondrel::platform::freedesktop
