#pragma once

#include "platform/Workspace.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform::freedesktop {

class DesktopEntries;
struct WindowFacts;

// What a workspace on any freedesktop session shares whatever the display server: applications
// on disk are XDG desktop entries, links open through xdg-open, and running applications are
// folded from the applications of the display's windows. A display backend says what each
// window belongs to and which is in front.
class DesktopWorkspace : public Workspace
{
public:
    std::vector<RunningApplication> runningApplications() override;
    std::vector<RunningApplication>
    runningApplications(const std::string& bundleIdentifier) override;
    void openURL(const std::string& url) override;
    std::string applicationsFolder() const override;
    std::optional<ApplicationInfo> applicationInfo(const std::string& path) override;
    std::optional<ApplicationInfo>
    installedApplication(const std::string& bundleIdentifier) override;

protected:
    explicit DesktopWorkspace(std::shared_ptr<DesktopEntries> entries);

    /// The application of each window the display lists, in its order; with mainWindowsOnly,
    /// only of the windows a task bar shows (no dialogs of another window, no panels).
    virtual std::vector<RunningApplication> windowApplications(bool mainWindowsOnly) = 0;

    /// A window's application as its facts and the desktop entries name it; fallbackName is the
    /// name shown when no entry has one.
    RunningApplication applicationFor(const WindowFacts& facts, bool regularWindow,
                                      const std::string& fallbackName);

    DesktopEntries& entries() const { return *m_entries; }

private:
    std::shared_ptr<DesktopEntries> m_entries;
};

} // namespace ondrel::platform::freedesktop
