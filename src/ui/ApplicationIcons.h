#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>

#include <chrono>
#include <map>
#include <optional>
#include <string>

class QWidget;

namespace ondrel::platform {
class Workspace;
}

namespace ondrel::ui {

// Application icons for the settings window, by application ID. Finding out what runs walks
// every client window, so the answer is kept and read again at most once a second; each icon is
// loaded once. Main thread only.
class ApplicationIcons final : public QObject
{
    Q_OBJECT

public:
    explicit ApplicationIcons(platform::Workspace& workspace, QObject* parent = nullptr);

    /// The icon of the running application with this ID, else of its desktop entry; null
    /// when neither has one.
    QIcon iconFor(const std::string& bundleID);
    /// The icon an icon-theme name or absolute image path stands for; null for none.
    QIcon iconNamed(const std::optional<std::string>& name);
    /// What a rule's application looks like at size: the orange star for any application, the
    /// application's icon, else the dashed outline in the secondary tone of widget.
    QPixmap pixmapFor(const std::string& bundleID, int size, const QWidget& widget);
    /// Reads the running applications again unless that was done within the last second;
    /// changed() follows when the answer differs.
    void refresh();

Q_SIGNALS:
    /// An application started or quit since the last reading.
    void changed();

private:
    void readIfStale();

    platform::Workspace& m_workspace;
    std::optional<std::chrono::steady_clock::time_point> m_lastRead;
    std::map<std::string, std::optional<std::string>> m_running;   // ID -> icon name
    std::map<std::string, std::optional<std::string>> m_installed; // ID -> icon name
    std::map<std::string, QIcon> m_icons;
};

/// The symbol shown in place of an application icon at size, tinted for widget ("app.dashed"
/// secondary, "star.circle.fill" in its own orange).
QPixmap applicationSymbol(QStringView symbol, int size, const QWidget& widget);

} // namespace ondrel::ui
