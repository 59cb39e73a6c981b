#pragma once

#include "platform/freedesktop/DesktopWorkspace.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct zwlr_foreign_toplevel_handle_v1;

namespace ondrel::platform::wayland {

class SwayIpc;
class WaylandConnection;
struct SwayView;

// The windows the compositor announces through the foreign-toplevel protocol, kept up to date
// from the event loop, with process ids from sway's tree. An application ID is found from the
// window's app_id by the same desktop-entry rules as on X11. May be called from any thread.
class WaylandWorkspace final : public freedesktop::DesktopWorkspace
{
public:
    WaylandWorkspace(std::shared_ptr<WaylandConnection> connection, std::shared_ptr<SwayIpc> sway,
                     std::shared_ptr<freedesktop::DesktopEntries> entries);
    ~WaylandWorkspace() override;

    std::optional<RunningApplication> frontmostApplication() override;
    FrontmostWindow frontmostWindow() override;

    /// Reads the active window's title from any thread, as the event loop last left it; safe
    /// to call after the workspace is gone (it then answers none).
    std::function<std::optional<std::string>()> activeWindowTitleReader() const;

    // A window as the compositor last described it.
    struct Toplevel
    {
        std::string title;
        std::string appId;
        bool activated = false;
        bool hasParent = false;
    };

private:
    struct Listener;
    // The state announced so far, and the changes waiting for the next "done".
    struct Cache
    {
        std::mutex mutex;
        std::map<zwlr_foreign_toplevel_handle_v1*, Toplevel> current;
        std::map<zwlr_foreign_toplevel_handle_v1*, Toplevel> pending;
    };

    std::vector<RunningApplication> windowApplications(bool mainWindowsOnly) override;
    std::vector<Toplevel> toplevels();
    void refreshFromMainThread();
    RunningApplication applicationOf(const Toplevel& toplevel, const std::vector<SwayView>& views);

    std::shared_ptr<WaylandConnection> m_connection;
    std::shared_ptr<SwayIpc> m_sway;
    std::shared_ptr<Cache> m_cache;
};

} // namespace ondrel::platform::wayland
