#include "ApplicationIcons.h"

#include "Icons.h"
#include "TextStyle.h"

#include "platform/Workspace.h"

#include <QFileInfo>
#include <QWidget>

namespace ondrel::ui {

namespace {

constexpr std::chrono::seconds kRunningAnswerLifetime{1};

} // namespace

ApplicationIcons::ApplicationIcons(platform::Workspace& workspace, QObject* parent)
    : QObject(parent), m_workspace(workspace)
{}

void ApplicationIcons::readIfStale()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_lastRead && now - *m_lastRead < kRunningAnswerLifetime)
        return;
    const bool first = !m_lastRead;
    m_lastRead = now;
    std::map<std::string, std::optional<std::string>> running;
    for (const auto& application : m_workspace.runningApplications()) {
        // The first instance speaks for the application, as for the per-ID query.
        if (application.bundleIdentifier)
            running.try_emplace(*application.bundleIdentifier, application.icon);
    }
    // Desktop entries come and go with installs; ask again along with the running list.
    m_installed.clear();
    if (running != m_running) {
        m_running = std::move(running);
        if (!first)
            Q_EMIT changed();
    }
}

void ApplicationIcons::refresh()
{
    readIfStale();
}

QIcon ApplicationIcons::iconNamed(const std::optional<std::string>& name)
{
    if (!name || name->empty())
        return {};
    auto found = m_icons.find(*name);
    if (found == m_icons.end()) {
        const QString text = QString::fromStdString(*name);
        found =
            m_icons
                .emplace(*name, QFileInfo(text).isAbsolute() ? QIcon(text) : QIcon::fromTheme(text))
                .first;
    }
    return found->second;
}

QIcon ApplicationIcons::iconFor(const std::string& bundleID)
{
    readIfStale();
    if (auto running = m_running.find(bundleID); running != m_running.end()) {
        if (QIcon icon = iconNamed(running->second); !icon.isNull())
            return icon;
    }
    auto installed = m_installed.find(bundleID);
    if (installed == m_installed.end()) {
        std::optional<std::string> name;
        if (auto info = m_workspace.installedApplication(bundleID))
            name = info->icon;
        installed = m_installed.emplace(bundleID, std::move(name)).first;
    }
    return iconNamed(installed->second);
}

QPixmap ApplicationIcons::pixmapFor(const std::string& bundleID, int size, const QWidget& widget)
{
    // Symbols stand at text size inside the icon's square, as in the platform's lists.
    const int symbolSize = size * 3 / 4;
    if (bundleID == "*")
        return applicationSymbol(u"star.circle.fill", symbolSize, widget);
    if (QIcon icon = iconFor(bundleID); !icon.isNull())
        return icon.pixmap(QSize(size, size), widget.devicePixelRatioF());
    return applicationSymbol(u"app.dashed", symbolSize, widget);
}

QPixmap applicationSymbol(QStringView symbol, int size, const QWidget& widget)
{
    const QColor tint =
        symbol == u"star.circle.fill" ? QColor() : toneColor(widget, TextTone::secondary);
    return tintedSymbol(symbol, tint, size, widget.devicePixelRatioF());
}

} // namespace ondrel::ui
