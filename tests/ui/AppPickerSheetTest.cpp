#include "UiTestContext.h"

#include "ui/AppPickerSheet.h"
#include "ui/ApplicationIcons.h"
#include "ui/IconTextRow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace ondrel;
using platform::ActivationPolicy;
using platform::ApplicationInfo;
using platform::RunningApplication;
using ui::AppPickerSheet;

namespace {

struct PickerHarness
{
    explicit PickerHarness(const std::string& selected)
    {
        app.fake.workspace().setRunningApplications({
            {"org.mozilla.firefox", 10, "firefox", ActivationPolicy::regular, {}},
            {"org.gnome.Calculator", 11, "Calculator", ActivationPolicy::regular, {}},
            {"debian-xterm", 12, "XTerm", ActivationPolicy::regular, {}},
            {"org.example.Tray", 13, "Tray Helper", ActivationPolicy::accessory, {}},
            {"org.example.Nameless", 14, std::nullopt, ActivationPolicy::regular, {}},
            {std::nullopt, 15, "No ID", ActivationPolicy::regular, {}},
        });
        sheet = new AppPickerSheet(app.fake.platform(), icons, selected);
        sheet->show();
    }
    ~PickerHarness() { delete sheet.data(); }

    template <typename Widget>
    Widget* find(const char* name)
    {
        return sheet->findChild<Widget*>(QString::fromLatin1(name));
    }
    // Each row as "name (id)", with "✓" when it carries the checkmark.
    QStringList rows()
    {
        auto* list = find<QListWidget>("runningAppsList");
        QStringList shown;
        for (int index = 0; index < list->count(); ++index) {
            auto* row = static_cast<ui::IconTextRow*>(list->itemWidget(list->item(index)));
            const bool marked = !row->findChild<QLabel*>(QStringLiteral("checkmark"))->isHidden();
            shown << row->titleLabel()->text() + " (" + row->captionLabel()->text() + ")" +
                         (marked ? " \u2713" : "");
        }
        return shown;
    }
    bool anyMarked()
    {
        return !find<QAbstractButton>("anyApplicationButton")
                    ->findChild<QLabel*>(QStringLiteral("checkmark"))
                    ->isHidden();
    }

    test::UiTestContext app;
    ui::ApplicationIcons icons{app.fake.workspace()};
    QPointer<AppPickerSheet> sheet;
};

} // namespace

class AppPickerSheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchFilters_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("nothing typed: regular applications by name")
            << ""
            << QStringList{"Calculator (org.gnome.Calculator)", "firefox (org.mozilla.firefox)",
                           "XTerm (debian-xterm)"};
        QTest::newRow("part of a name, other case")
            << "CALC" << QStringList{"Calculator (org.gnome.Calculator)"};
        QTest::newRow("part of an ID only")
            << "mozilla" << QStringList{"firefox (org.mozilla.firefox)"};
        QTest::newRow("spaces count") << " calc" << QStringList{};
    }

    void searchFilters()
    {
        QFETCH(QString, search);
        QFETCH(QStringList, rows);
        PickerHarness picker("elsewhere");
        QTest::keyClicks(picker.find<QLineEdit>("searchField"), search);
        QCOMPARE(picker.rows(), rows);
    }

    void checkmarks_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("anyMarked");
        QTest::addColumn<QString>("markedRow"); // empty: none
        QTest::newRow("any application") << "*" << true << "";
        QTest::newRow("running application")
            << "debian-xterm" << false << "XTerm (debian-xterm) \u2713";
        QTest::newRow("application not running") << "org.example.Gone" << false << "";
    }

    void checkmarks()
    {
        QFETCH(QString, selected);
        QFETCH(bool, anyMarked);
        QFETCH(QString, markedRow);
        PickerHarness picker(selected.toStdString());
        QCOMPARE(picker.anyMarked(), anyMarked);
        const QStringList marked = picker.rows().filter(QStringLiteral("\u2713"));
        QCOMPARE(marked, markedRow.isEmpty() ? QStringList{} : QStringList{markedRow});
    }

    void choosingClosesWithTheChoice()
    {
        PickerHarness picker("*");
        QSignalSpy chosen(picker.sheet.data(), &AppPickerSheet::applicationChosen);
        auto* list = picker.find<QListWidget>("runningAppsList");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen[0], (QVariantList{"org.mozilla.firefox", "firefox"}));
        QVERIFY(!picker.sheet || !picker.sheet->isVisible());
    }

    void cancelChoosesNothing()
    {
        PickerHarness picker("*");
        QSignalSpy chosen(picker.sheet.data(), &AppPickerSheet::applicationChosen);
        QTest::keyClicks(picker.find<QLineEdit>("searchField"), "calc");
        QTest::mouseClick(picker.find<QPushButton>("cancelButton"), Qt::LeftButton);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(!picker.sheet || !picker.sheet->isVisible());
    }

    void browse_data()
    {
        QTest::addColumn<QString>("path"); // null: the chooser is cancelled
        QTest::addColumn<bool>("hasInfo");
        QTest::addColumn<QString>("id"); // null: the entry names no application
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariantList>("chosen"); // empty: the sheet stays open
        const QString path = QStringLiteral("/usr/share/applications/org.example.Editor.desktop");
        QTest::newRow("cancelled")
            << QString() << false << QString() << QString() << QVariantList{};
        QTest::newRow("application entry")
            << path << true << "org.example.Editor"
            << "Editor" << QVariantList{"org.example.Editor", "Editor"};
        QTest::newRow("no name: file name without extension")
            << path << true << "org.example.Editor"
            << "" << QVariantList{"org.example.Editor", "org.example.Editor"};
        QTest::newRow("not an application")
            << path << true << QString() << "Link" << QVariantList{};
        QTest::newRow("nothing readable")
            << path << false << QString() << QString() << QVariantList{};
    }

    void browse()
    {
        QFETCH(QString, path);
        QFETCH(bool, hasInfo);
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFETCH(QVariantList, chosen);
        PickerHarness picker("*");
        if (hasInfo) {
            ApplicationInfo info;
            if (!id.isNull())
                info.bundleIdentifier = id.toStdString();
            info.displayName = name.toStdString();
            picker.app.fake.workspace().setApplicationInfo(path.toStdString(), info);
        }
        picker.app.fake.alerts().queueChoice(path.isNull() ? std::nullopt
                                                           : std::optional(path.toStdString()));
        QSignalSpy chosenSpy(picker.sheet.data(), &AppPickerSheet::applicationChosen);
        QTest::mouseClick(picker.find<QAbstractButton>("browseButton"), Qt::LeftButton);

        QCOMPARE(picker.app.fake.alerts().chooserFolders(),
                 std::vector<std::string>{"/usr/share/applications"});
        auto* alert = picker.find<QMessageBox>("noBundleIDAlert");
        if (!chosen.isEmpty()) {
            QCOMPARE(chosenSpy.count(), 1);
            QCOMPARE(chosenSpy[0], chosen);
            return;
        }
        QCOMPARE(chosenSpy.count(), 0);
        QVERIFY(picker.sheet->isVisible());
        QCOMPARE(alert != nullptr, !path.isNull());
        if (alert) {
            QCOMPARE(alert->text(), QStringLiteral("No Bundle ID Found"));
            QTest::mouseClick(alert->findChild<QPushButton*>(QStringLiteral("okButton")),
                              Qt::LeftButton);
            QVERIFY(picker.sheet->isVisible());
            QVERIFY(picker.anyMarked());
        }
    }
};

QTEST_MAIN(AppPickerSheetTest)
#include "AppPickerSheetTest.moc"
