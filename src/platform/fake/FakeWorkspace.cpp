#include "FakeWorkspace.h"

namespace ondrel::platform::fake {

std::optional<RunningApplication> FakeWorkspace::frontmostApplication()
{
    std::lock_guard lock(m_mutex);
    ++m_frontmostQueries;
    return m_frontmost;
}

FrontmostWindow FakeWorkspace::frontmostWindow()
{
    std::lock_guard lock(m_mutex);
    return m_frontmost ? m_frontmostWindow : FrontmostWindow{};
}

void FakeWorkspace::setFrontmostWindow(FrontmostWindow window)
{
    std::lock_guard lock(m_mutex);
    m_frontmostWindow = window;
}

std::vector<RunningApplication> FakeWorkspace::runningApplications()
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

std::vector<RunningApplication>
FakeWorkspace::runningApplications(const std::string& bundleIdentifier)
{
    std::lock_guard lock(m_mutex);
    std::vector<RunningApplication> result;
    for (const RunningApplication& application : m_running) {
        if (application.bundleIdentifier == bundleIdentifier) {
            result.push_back(application);
        }
    }
    return result;
}

void FakeWorkspace::openURL(const std::string& url)
{
    std::lock_guard lock(m_mutex);
    m_openedURLs.push_back(url);
}

std::string FakeWorkspace::applicationsFolder() const
{
    std::lock_guard lock(m_mutex);
    return m_applicationsFolder;
}

std::optional<ApplicationInfo> FakeWorkspace::applicationInfo(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    auto found = m_infos.find(path);
    if (found == m_infos.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<ApplicationInfo>
FakeWorkspace::installedApplication(const std::string& bundleIdentifier)
{
    std::lock_guard lock(m_mutex);
    auto found = m_installed.find(bundleIdentifier);
    if (found == m_installed.end()) {
        return std::nullopt;
    }
    return found->second;
}

void FakeWorkspace::addInstalledApplication(ApplicationInfo info)
{
    std::lock_guard lock(m_mutex);
    const std::string id = info.bundleIdentifier.value_or(std::string());
    m_installed.insert_or_assign(id, std::move(info));
}

void FakeWorkspace::setFrontmostApplication(std::optional<RunningApplication> application)
{
    std::lock_guard lock(m_mutex);
    m_frontmost = std::move(application);
}

void FakeWorkspace::setRunningApplications(std::vector<RunningApplication> applications)
{
    std::lock_guard lock(m_mutex);
    m_running = std::move(applications);
}

void FakeWorkspace::addRunningApplication(RunningApplication application)
{
    std::lock_guard lock(m_mutex);
    m_running.push_back(std::move(application));
}

void FakeWorkspace::setApplicationInfo(const std::string& path, std::optional<ApplicationInfo> info)
{
    std::lock_guard lock(m_mutex);
    if (info) {
        m_infos.insert_or_assign(path, std::move(*info));
    } else {
        m_infos.erase(path);
    }
}

void FakeWorkspace::setApplicationsFolder(std::string folder)
{
    std::lock_guard lock(m_mutex);
    m_applicationsFolder = std::move(folder);
}

std::vector<std::string> FakeWorkspace::openedURLs() const
{
    std::lock_guard lock(m_mutex);
    return m_openedURLs;
}

int FakeWorkspace::frontmostQueryCount() const
{
    std::lock_guard lock(m_mutex);
    return m_frontmostQueries;
}

} // namespace ondrel::platform::fake
