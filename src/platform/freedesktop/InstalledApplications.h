#pragma once

#include "platform/Workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform::freedesktop {

class DesktopEntries;

/// Where the application chooser starts: the system's desktop entries.
inline constexpr const char* kApplicationsFolder = "/usr/share/applications";

/// The application a desktop entry at path describes; for any other existing file, only a
/// display name. None when nothing is at path.
std::optional<ApplicationInfo> applicationInfoAt(const std::string& path, DesktopEntries& entries);

/// The usable application entry with this ID, or none.
std::optional<ApplicationInfo> installedApplicationWithId(const std::string& id,
                                                          DesktopEntries& entries);

/// Adds a window's application to instances: one entry per process, regular when any of its
/// windows is.
void addInstance(std::vector<RunningApplication>& instances, RunningApplication application);

/// Opens a link with the desktop's default handler (xdg-open); refuses what looks like an option.
void openWithDefaultHandler(const std::string& url);

} // namespace ondrel::platform::freedesktop
