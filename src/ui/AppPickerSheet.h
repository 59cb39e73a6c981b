#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QLabel;

namespace ondrel::platform {
struct Platform;
}

namespace ondrel::ui {

class ApplicationIcons;

// The sheet in which the user chooses a rule's application: any application, one of the regular
// applications running now (with a search), or a desktop entry on disk. A choice is announced
// and closes the sheet; Cancel and Escape close it without one.
class AppPickerSheet final : public QDialog
{
    Q_OBJECT

public:
    // One running application.
    struct AppEntry
    {
        QString id;   // the application ID
        QString name; // the application's name in the user's language
        QIcon icon;   // null when the application has none
    };

    /// selectedBundleID marks the current choice ("*" for any application).
    AppPickerSheet(platform::Platform& platform, ApplicationIcons& icons,
                   const std::string& selectedBundleID, QWidget* parent = nullptr);

    /// The regular running applications that have an ID and a name, sorted by name.
    const std::vector<AppEntry>& runningApps() const { return m_runningApps; }
    /// The running applications whose name or ID contains the search text (all when empty).
    std::vector<AppEntry> filteredApps() const;

    void selectAnyApplication();
    void selectApp(const AppEntry& entry);
    /// Lets the user pick an application's desktop entry; one without an ID gets an alert.
    void browseForApplication();

Q_SIGNALS:
    /// The user chose an application ("*" and "Any Application" for any).
    void applicationChosen(const QString& bundleID, const QString& displayName);

private:
    void loadRunningApps();
    static bool matchesSearch(const AppEntry& entry, const QString& search);
    void showFilteredApps();
    void choose(const QString& bundleID, const QString& displayName);
    void showNoBundleIDAlert();

    platform::Platform& m_platform;
    ApplicationIcons& m_icons;
    QString m_selectedBundleID;
    std::vector<AppEntry> m_runningApps;
    QLineEdit* m_search = nullptr;
    QListWidget* m_list = nullptr;
};

} // namespace ondrel::ui
