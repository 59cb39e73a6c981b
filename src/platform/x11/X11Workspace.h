#pragma once

#include "platform/Workspace.h"

#include <cstdint>
#include <memory>

namespace ondrel::platform::freedesktop {
class DesktopEntries;
struct WindowFacts;
} // namespace ondrel::platform::freedesktop

namespace ondrel::platform::x11 {

class X11Connection;

// Applications as an EWMH window manager and the XDG desktop entries describe them. Every
// answer is read from the server at the moment it is asked for. May be called from any thread.
class X11Workspace final : public Workspace
{
public:
    X11Workspace(std::shared_ptr<X11Connection> connection,
                 std::shared_ptr<freedesktop::DesktopEntries> entries);
    explicit X11Workspace(std::shared_ptr<X11Connection> connection);
    ~X11Workspace() override;

    std::optional<RunningApplication> frontmostApplication() override;
    std::vector<RunningApplication> runningApplications() override;
    std::vector<RunningApplication>
    runningApplications(const std::string& bundleIdentifier) override;
    void openURL(const std::string& url) override;
    std::string applicationsFolder() const override;
    std::optional<ApplicationInfo> applicationInfo(const std::string& path) override;
    std::optional<ApplicationInfo>
    installedApplication(const std::string& bundleIdentifier) override;

private:
    freedesktop::WindowFacts factsOf(std::uint32_t window);
    std::optional<std::int64_t> processOf(std::uint32_t window);
    RunningApplication applicationOf(std::uint32_t window);
    bool isRegularWindow(std::uint32_t window);
    std::uint32_t transientRoot(std::uint32_t window);

    std::shared_ptr<X11Connection> m_connection;
    std::shared_ptr<freedesktop::DesktopEntries> m_entries;
};

} // namespace ondrel::platform::x11
