#include "UiTestContext.h"

#include "OutputCapture.h"

#include "platform/freedesktop/XdgAutostartLoginItem.h"
#include "ui/GeneralSettingsView.h"
#include "ui/RecorderCocoa.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <fstream>

using namespace ondrel;

class GeneralSettingsViewTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::UiTestContext> ui;

    std::filesystem::path autostartEntry() const
    {
        return ui->home.configHome() / "autostart" / "ondrel.desktop";
    }

private Q_SLOTS:
    void init()
    {
        ui = std::make_unique<test::UiTestContext>();
        ui->fake.platform().loginItem =
            std::make_unique<platform::freedesktop::XdgAutostartLoginItem>("ondrel",
                                                                           "/usr/bin/ondrel");
    }
    void cleanup() { ui.reset(); }

    void loginSwitch_data()
    {
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<bool>("entryAfter");
        QTest::addColumn<int>("errorLines");
        QTest::newRow("on writes the entry") << false << true << true << 0;
        QTest::newRow("off removes it") << true << true << false << 0;
        // The folder cannot be made (a file holds its name): registration fails, then the switch
        // flips back and the removal that follows finds nothing to remove.
        QTest::newRow("failing folder") << false << false << false << 1;
    }

    void loginSwitch()
    {
        QFETCH(bool, enabledBefore);
        QFETCH(bool, folderWritable);
        QFETCH(bool, entryAfter);
        QFETCH(int, errorLines);
        if (enabledBefore)
            QVERIFY(!ui->fake.platform().loginItem->registerItem());
        if (!folderWritable) {
            std::filesystem::create_directories(ui->home.configHome());
            std::ofstream(ui->home.configHome() / "autostart") << "not a folder";
        }
        ui::GeneralSettingsView view(ui->context);
        auto* toggle = view.findChild<QCheckBox*>(QStringLiteral("launchAtLogin"));
        QCOMPARE(toggle->isChecked(), enabledBefore);

        test::OutputCapture output;
        toggle->click();

        QCOMPARE(std::filesystem::exists(autostartEntry()), entryAfter);
        QCOMPARE(toggle->isChecked(), entryAfter);
        const auto lines = output.lines();
        QCOMPARE(int(lines.size()), errorLines);
        for (const auto& line : lines)
            QVERIFY(line.starts_with("[GeneralSettings] Launch at login error: "));
    }

    void aboutShowsTheRealStorageFolder()
    {
        ui::GeneralSettingsView view(ui->context);
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("storage"))->text(),
                 QStringLiteral("~/.local/share/Ondrel/"));
    }

    void noteNamesAShortcutAnotherProgramHolds()
    {
        ui::GeneralSettingsView view(ui->context);
        auto* note = view.findChild<QLabel*>(QStringLiteral("shortcutNote"));
        QVERIFY(note->text().contains(QStringLiteral("Super+Shift+V")));
        QVERIFY(!note->text().contains(QStringLiteral("already used")));
        // Storing the same shortcut again re-reads the note; now another program holds it.
        ui->fake.keyboardLayout().setTakenBySystem(9, 0x300);
        ui->keyboardShortcuts.setShortcut(
            paste::HotkeyCoordinator::defaultShortcut(),
            paste::HotkeyCoordinator::smartPasteName(ui->keyboardShortcuts));
        QVERIFY(note->text().contains(QStringLiteral("Super+Shift+V is already used")));
    }
};

QTEST_MAIN(GeneralSettingsViewTest)
#include "GeneralSettingsViewTest.moc"
