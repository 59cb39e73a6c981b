#include "DesktopWorkspace.h"

#include "DesktopEntries.h"
#include "FreedesktopLog.h"
#include "WindowIdentity.h"

#include <QProcess>
#include <QString>

#include <algorithm>
#include <filesystem>

namespace ondrel::platform::freedesktop {

namespace fs = std::filesystem;

namespace {

std::string withoutDesktopSuffix(std::string name)
{
    if (name.ends_with(".desktop"))
        name.erase(name.size() - 8);
    return name;
}

} // namespace

DesktopWorkspace::DesktopWorkspace(std::shared_ptr<DesktopEntries> entries)
    : m_entries(std::move(entries))
{}

std::vector<RunningApplication> DesktopWorkspace::runningApplications()
{
    // One entry per application, where its first main window stands.
    std::vector<RunningApplication> applications;
    for (auto& application : windowApplications(true)) {
        if (!application.bundleIdentifier)
            continue;
        const bool known = std::any_of(applications.begin(), applications.end(), [&](auto& a) {
            return a.bundleIdentifier == application.bundleIdentifier;
        });
        if (!known)
            applications.push_back(std::move(application));
    }
    return applications;
}

std::vector<RunningApplication>
DesktopWorkspace::runningApplications(const std::string& bundleIdentifier)
{
    // One entry per process, regular when any of its windows is.
    std::vector<RunningApplication> instances;
    for (auto& application : windowApplications(false)) {
        if (application.bundleIdentifier != bundleIdentifier)
            continue;
        auto same = std::find_if(instances.begin(), instances.end(), [&](const auto& known) {
            return known.processIdentifier == application.processIdentifier;
        });
        if (same == instances.end())
            instances.push_back(std::move(application));
        else if (application.activationPolicy == ActivationPolicy::regular)
            same->activationPolicy = ActivationPolicy::regular;
    }
    return instances;
}

RunningApplication DesktopWorkspace::applicationFor(const WindowFacts& facts, bool regularWindow,
                                                    const std::string& fallbackName)
{
    RunningApplication application;
    application.processIdentifier = facts.processIdentifier.value_or(0);
    application.bundleIdentifier = applicationIdFor(facts, *m_entries);
    application.activationPolicy =
        regularWindow ? ActivationPolicy::regular : ActivationPolicy::accessory;
    if (application.bundleIdentifier) {
        if (auto entry = m_entries->byId(*application.bundleIdentifier)) {
            application.localizedName = entry->name;
            application.icon = entry->icon;
        }
    }
    if (!application.localizedName && !fallbackName.empty())
        application.localizedName = fallbackName;
    return application;
}

void DesktopWorkspace::openURL(const std::string& url)
{
    // xdg-open takes an argument starting with '-' as an option.
    if (url.empty() || url.front() == '-') {
        qCWarning(desktopLog) << "Refusing to open" << QString::fromStdString(url);
        return;
    }
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(url)}))
        qCWarning(desktopLog) << "Could not start xdg-open for" << QString::fromStdString(url);
}

std::string DesktopWorkspace::applicationsFolder() const
{
    return "/usr/share/applications";
}

std::optional<ApplicationInfo> DesktopWorkspace::applicationInfo(const std::string& path)
{
    std::error_code error;
    if (path.empty() || !fs::exists(path, error))
        return std::nullopt;
    ApplicationInfo info;
    info.displayName = withoutDesktopSuffix(fs::path(path).filename().string());
    if (!fs::is_regular_file(path, error) || !path.ends_with(".desktop"))
        return info;
    const auto entry = m_entries->readFile(path);
    if (!entry)
        return info;
    if (!entry->name.empty())
        info.displayName = entry->name;
    info.icon = entry->icon;
    if (entry->isApplication())
        info.bundleIdentifier = entry->id;
    return info;
}

std::optional<ApplicationInfo>
DesktopWorkspace::installedApplication(const std::string& bundleIdentifier)
{
    const auto entry = m_entries->byId(bundleIdentifier);
    if (!entry)
        return std::nullopt;
    return ApplicationInfo{entry->id, entry->name, entry->icon};
}

} // namespace ondrel::platform::freedesktop
