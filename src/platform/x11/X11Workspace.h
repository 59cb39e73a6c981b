#pragma once

#include "platform/freedesktop/DesktopWorkspace.h"

#include <cstdint>
#include <memory>

namespace ondrel::platform::x11 {

class X11Connection;

// Applications as an EWMH window manager and the XDG desktop entries describe them. Every
// answer is read from the server at the moment it is asked for. May be called from any thread.
class X11Workspace final : public freedesktop::DesktopWorkspace
{
public:
    X11Workspace(std::shared_ptr<X11Connection> connection,
                 std::shared_ptr<freedesktop::DesktopEntries> entries);
    explicit X11Workspace(std::shared_ptr<X11Connection> connection);
    ~X11Workspace() override;

    std::optional<RunningApplication> frontmostApplication() override;
    FrontmostWindow frontmostWindow() override;

private:
    std::vector<RunningApplication> windowApplications(bool mainWindowsOnly) override;
    freedesktop::WindowFacts factsOf(std::uint32_t window);
    std::optional<std::int64_t> processOf(std::uint32_t window);
    RunningApplication applicationOf(std::uint32_t window);
    bool isRegularWindow(std::uint32_t window);
    std::uint32_t transientRoot(std::uint32_t window);

    std::shared_ptr<X11Connection> m_connection;
};

} // namespace ondrel::platform::x11
