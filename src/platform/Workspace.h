#pragma once

// bundleIdentifier keeps its macOS name because rules store it under that name; on Linux it
// holds the application ID (the desktop entry's name, a Flatpak or Snap ID, or
// "wmclass:" + WM_CLASS when nothing better is known).

#include "Service.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform {

enum class ActivationPolicy
{
    regular = 0,
    accessory = 1,
    prohibited = 2
};

// A running application, read at the moment it is asked for.
struct RunningApplication
{
    std::optional<std::string> bundleIdentifier; // the application ID; none when unknown
    std::int64_t processIdentifier = 0;
    std::optional<std::string> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    std::optional<std::string> icon; // icon-theme name or absolute image path

    bool operator==(const RunningApplication&) const = default;
};

// The window that receives keyboard input, as the display tells without asking its program.
struct FrontmostWindow
{
    std::uint64_t id = 0; // 0: unknown
    std::string title;    // a browser's changes with its tab and page

    bool operator==(const FrontmostWindow&) const = default;
};

// An application found on disk (an application bundle; on Linux a desktop entry).
struct ApplicationInfo
{
    std::optional<std::string> bundleIdentifier; // none when the entry is not a valid application
    std::string displayName;
    std::optional<std::string> icon;

    bool operator==(const ApplicationInfo&) const = default;
};

// Frontmost and running applications, and opening links.
class Workspace : public Service
{
public:
    /// The application that receives keyboard input now, or none.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    /// The window that receives keyboard input now and its title; id 0 when unknown.
    virtual FrontmostWindow frontmostWindow() = 0;
    /// Every running application, in the platform's order.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    /// Every running instance of the application with this identifier, possibly none.
    virtual std::vector<RunningApplication>
    runningApplications(const std::string& bundleIdentifier) = 0;
    /// Opens a link with its default handler; nothing is reported back.
    virtual void openURL(const std::string& url) = 0;
    /// The folder in which the application chooser starts.
    virtual std::string applicationsFolder() const = 0;
    /// Reads the application at path (bundle or desktop entry); none when nothing is there.
    virtual std::optional<ApplicationInfo> applicationInfo(const std::string& path) = 0;
    /// The installed application with this identifier (running or not), or none.
    virtual std::optional<ApplicationInfo>
    installedApplication(const std::string& bundleIdentifier) = 0;
};

} // namespace ondrel::platform
