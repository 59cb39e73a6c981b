#include "InstalledApplications.h"

#include "DesktopEntries.h"
#include "FreedesktopLog.h"

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

std::optional<ApplicationInfo> applicationInfoAt(const std::string& path, DesktopEntries& entries)
{
    std::error_code error;
    if (path.empty() || !fs::exists(path, error))
        return std::nullopt;
    ApplicationInfo info;
    info.displayName = withoutDesktopSuffix(fs::path(path).filename().string());
    if (!fs::is_regular_file(path, error) || !path.ends_with(".desktop"))
        return info;
    const auto entry = entries.readFile(path);
    if (!entry)
        return info;
    if (!entry->name.empty())
        info.displayName = entry->name;
    info.icon = entry->icon;
    if (entry->isApplication())
        info.bundleIdentifier = entry->id;
    return info;
}

std::optional<ApplicationInfo> installedApplicationWithId(const std::string& id,
                                                          DesktopEntries& entries)
{
    const auto entry = entries.byId(id);
    if (!entry)
        return std::nullopt;
    return ApplicationInfo{entry->id, entry->name, entry->icon};
}

void addInstance(std::vector<RunningApplication>& instances, RunningApplication application)
{
    auto same = std::find_if(instances.begin(), instances.end(), [&](const auto& known) {
        return known.processIdentifier == application.processIdentifier;
    });
    if (same == instances.end())
        instances.push_back(std::move(application));
    else if (application.activationPolicy == ActivationPolicy::regular)
        same->activationPolicy = ActivationPolicy::regular;
}

void openWithDefaultHandler(const std::string& url)
{
    // xdg-open takes an argument starting with '-' as an option.
    if (url.empty() || url.front() == '-') {
        qCWarning(desktopLog) << "Refusing to open" << QString::fromStdString(url);
        return;
    }
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(url)}))
        qCWarning(desktopLog) << "Could not start xdg-open for" << QString::fromStdString(url);
}

} // namespace ondrel::platform::freedesktop
