#include "TestFiles.h"
#include "UiTestContext.h"

#include "ui/ApplicationIcons.h"
#include "ui/RuleEditorView.h"
#include "ui/RuleSidebarRow.h"
#include "ui/SettingsView.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace ondrel;
using ui::SettingsView;

namespace {

QStringList sidebarTexts(SettingsView& view)
{
    auto* sidebar = view.findChild<QListWidget*>(QStringLiteral("sidebar"));
    QStringList texts;
    for (int index = 0; index < sidebar->count(); ++index) {
        auto* item = sidebar->item(index);
        if (auto* row = dynamic_cast<ui::RuleSidebarRow*>(sidebar->itemWidget(item)))
            texts << row->titleLabel()->text() + QStringLiteral(" | ") +
                         row->captionLabel()->text();
        else
            texts << item->data(Qt::AccessibleTextRole).toString();
    }
    return texts;
}

rules::Rule ruleNamed(const std::string& name)
{
    rules::Rule rule;
    rule.name = name;
    return rule;
}

} // namespace

class SettingsViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyListThenAddedRules()
    {
        const int additions = 2;
        test::UiTestContext app;
        SettingsView view(app.context);
        QCOMPARE(sidebarTexts(view),
                 (QStringList{"Rules", "No rules yet", "Settings", "General", "Permissions"}));
        QCOMPARE(view.detail()->objectName(), QStringLiteral("placeholder"));
        view.setSelection(SettingsView::SidebarItem::general());
        QCOMPARE(view.detail()->objectName(), QStringLiteral("GeneralSettingsView"));

        view.show();
        auto* add = view.findChild<QToolButton*>(QStringLiteral("addRuleButton"));
        for (int i = 0; i < additions; ++i)
            QTest::mouseClick(add, Qt::LeftButton);

        const auto& rules = app.ruleStore.rules();
        QCOMPARE(int(rules.size()), additions);
        QStringList expected{"Rules"};
        for (int i = 0; i < additions; ++i)
            expected << "New Rule | Any App";
        expected << "Settings"
                 << "General"
                 << "Permissions";
        QCOMPARE(sidebarTexts(view), expected);
        QVERIFY(rules[0].id != rules[1].id);
        QCOMPARE(view.selection(), SettingsView::SidebarItem::rule(rules.back().id));
        QVERIFY(view.editor());
        QCOMPARE(view.editor()->ruleID(), rules.back().id);
    }

    void editThenSaveUpdatesRowAndFile()
    {
        test::UiTestContext app;
        app.ruleStore.addRule(ruleNamed("Greeting"));
        SettingsView view(app.context);
        view.show();
        view.setSelection(SettingsView::SidebarItem::rule(app.ruleStore.rules()[0].id));
        auto* editor = view.editor();
        QVERIFY(editor);
        auto* unsaved = editor->findChild<QLabel*>(QStringLiteral("unsavedChangesLabel"));
        QVERIFY(!unsaved->isVisible());

        QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("ruleNameField")), "s");
        QVERIFY(unsaved->isVisible());
        QCOMPARE(sidebarTexts(view)[1], QStringLiteral("Greeting | Any App"));

        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("saveButton")),
                          Qt::LeftButton);
        QVERIFY(!unsaved->isVisible());
        QCOMPARE(view.editor(), editor);
        QCOMPARE(sidebarTexts(view)[1], QStringLiteral("Greetings | Any App"));
        QCOMPARE(app.ruleStore.rules()[0], editor->draft());
        QVERIFY(test::readFile(app.ruleStore.storagePath()).find("\"Greetings\"") !=
                std::string::npos);
    }

    void deleteConfirmation_data()
    {
        QTest::addColumn<bool>("byDeleteKey");
        QTest::addColumn<QString>("answer");
        QTest::newRow("trash, cancel") << false << "cancelButton";
        QTest::newRow("trash, delete") << false << "deleteRuleButton";
        QTest::newRow("delete key, delete") << true << "deleteRuleButton";
    }

    void deleteConfirmation()
    {
        QFETCH(bool, byDeleteKey);
        QFETCH(QString, answer);
        test::UiTestContext app;
        app.ruleStore.addRule(ruleNamed("First"));
        app.ruleStore.addRule(ruleNamed("Second"));
        app.ruleStore.addRule(ruleNamed("Third"));
        const auto before = app.ruleStore.rules();
        SettingsView view(app.context);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.setSelection(SettingsView::SidebarItem::rule(before[1].id));
        auto* editor = view.editor();
        // A rename that was not saved: the dialog names the rule as stored.
        QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("ruleNameField")), "!");

        if (byDeleteKey) {
            auto* sidebar = view.findChild<QListWidget*>(QStringLiteral("sidebar"));
            sidebar->setFocus();
            QTest::keyClick(sidebar, Qt::Key_Delete);
        } else {
            QTest::mouseClick(view.findChild<QToolButton*>(QStringLiteral("deleteRuleButton")),
                              Qt::LeftButton);
        }
        auto* dialog = editor->findChild<QMessageBox*>(QStringLiteral("deleteConfirmation"));
        QVERIFY(dialog);
        QCOMPARE(dialog->text(), QStringLiteral("Delete \"Second\"?"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(answer), Qt::LeftButton);

        if (answer == QStringLiteral("cancelButton")) {
            QCOMPARE(app.ruleStore.rules(), before);
            QCOMPARE(view.editor(), editor);
            QVERIFY(editor->isDirty());
            QCOMPARE(editor->draft().name, std::string("Second!"));
        } else {
            QCOMPARE(app.ruleStore.rules(), (std::vector{before[0], before[2]}));
            QCOMPARE(view.selection(), std::nullopt);
            QCOMPARE(view.detail()->objectName(), QStringLiteral("placeholder"));
            QCOMPARE(sidebarTexts(view).mid(1, 2),
                     (QStringList{"First | Any App", "Third | Any App"}));
        }
    }

    void applicationIcon_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("expected"); // which picture the row gets
        QTest::newRow("running and installed") << true << true << "running";
        QTest::newRow("installed, not running") << false << true << "installed";
        QTest::newRow("neither") << false << false << "none";
    }

    void applicationIcon()
    {
        QFETCH(bool, running);
        QFETCH(bool, installed);
        QFETCH(QString, expected);
        test::UiTestContext app;
        const auto picture = [&](const char* name, Qt::GlobalColor color) {
            QImage image(16, 16, QImage::Format_ARGB32);
            image.fill(color);
            const auto path = app.home.root() / name;
            image.save(QString::fromStdString(path.string()));
            return path.string();
        };
        auto& workspace = app.fake.workspace();
        if (running)
            workspace.addRunningApplication({"org.example.App", 1, "App",
                                             platform::ActivationPolicy::regular,
                                             picture("running.png", Qt::red)});
        if (installed)
            workspace.addInstalledApplication(
                {"org.example.App", "App", picture("installed.png", Qt::blue)});
        ui::ApplicationIcons icons(workspace);
        const QIcon icon = icons.iconFor("org.example.App");
        const QColor seen = icon.isNull() ? QColor() : icon.pixmap(16).toImage().pixelColor(8, 8);
        const QString source = seen == QColor(Qt::red)    ? "running"
                               : seen == QColor(Qt::blue) ? "installed"
                                                          : "none";
        QCOMPARE(source, expected);
    }

    void rowSubtitle_data()
    {
        QTest::addColumn<QString>("bundleID");
        QTest::addColumn<QString>("pattern"); // null: no pattern
        QTest::addColumn<QString>("subtitle");
        QTest::newRow("application and pattern") << "firefox-esr"
                                                 << "example.com"
                                                 << "Firefox \u00B7 example.com";
        QTest::newRow("empty pattern") << "firefox-esr"
                                       << ""
                                       << "Firefox";
    }

    void rowSubtitle()
    {
        QFETCH(QString, bundleID);
        QFETCH(QString, pattern);
        QFETCH(QString, subtitle);
        rules::Rule rule;
        rule.bundleID = bundleID.toStdString();
        rule.appDisplayName = "Firefox";
        if (!pattern.isNull())
            rule.urlPattern = pattern.toStdString();
        QCOMPARE(ui::RuleSidebarRow::subtitle(rule), subtitle);
    }
};

QTEST_MAIN(SettingsViewTest)
#include "SettingsViewTest.moc"
