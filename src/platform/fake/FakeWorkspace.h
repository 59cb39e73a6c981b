#pragma once

#include "platform/Workspace.h"

#include <map>
#include <mutex>

namespace ondrel::platform::fake {

// Running applications and applications on disk as tests set them; opened links are recorded.
class FakeWorkspace final : public Workspace
{
public:
    FakeWorkspace() = default;

    std::optional<RunningApplication> frontmostApplication() override;
    FrontmostWindow frontmostWindow() override;
    std::vector<RunningApplication> runningApplications() override;
    std::vector<RunningApplication>
    runningApplications(const std::string& bundleIdentifier) override;
    void openURL(const std::string& url) override;
    std::string applicationsFolder() const override;
    std::optional<ApplicationInfo> applicationInfo(const std::string& path) override;
    std::optional<ApplicationInfo>
    installedApplication(const std::string& bundleIdentifier) override;

    /// The application frontmostApplication() reports (none: no application is frontmost).
    void setFrontmostApplication(std::optional<RunningApplication> application);
    /// The window frontmostWindow() reports while an application is frontmost (id 1 until set).
    void setFrontmostWindow(FrontmostWindow window);
    /// The list runningApplications() reports, in this order.
    void setRunningApplications(std::vector<RunningApplication> applications);
    /// Appends one running application.
    void addRunningApplication(RunningApplication application);
    /// What applicationInfo(path) reports (none: nothing is at path).
    void setApplicationInfo(const std::string& path, std::optional<ApplicationInfo> info);
    void setApplicationsFolder(std::string folder);
    /// Makes installedApplication() report info under its identifier (which must be set).
    void addInstalledApplication(ApplicationInfo info);

    /// Every link passed to openURL(), in order.
    std::vector<std::string> openedURLs() const;
    /// How many times frontmostApplication() was asked.
    int frontmostQueryCount() const;

private:
    mutable std::mutex m_mutex;
    std::optional<RunningApplication> m_frontmost;
    FrontmostWindow m_frontmostWindow{1, {}};
    std::vector<RunningApplication> m_running;
    std::map<std::string, ApplicationInfo> m_infos;
    std::map<std::string, ApplicationInfo> m_installed;
    std::string m_applicationsFolder = "/usr/share/applications";
    std::vector<std::string> m_openedURLs;
    int m_frontmostQueries = 0;
};

} // namespace ondrel::platform::fake
