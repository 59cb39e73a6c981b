#include "UiTestContext.h"

#include "ui/AppPickerSheet.h"
#include "ui/ApplicationIcons.h"
#include "ui/RuleEditorView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace ondrel;
using rules::URLMatchMode;
using ui::RuleEditorView;

namespace {

// One editor over one stored rule, shown, with typed access to its controls.
struct EditorHarness
{
    explicit EditorHarness(rules::Rule rule)
    {
        app.ruleStore.addRule(std::move(rule));
        editor = std::make_unique<RuleEditorView>(app.context, icons, app.ruleStore.rules()[0].id,
                                                  nullptr);
        editor->show();
    }

    template <typename Widget>
    Widget* find(const char* name)
    {
        auto* widget = editor->findChild<Widget*>(QString::fromLatin1(name));
        Q_ASSERT(widget);
        return widget;
    }
    bool showsUnsaved() { return find<QLabel>("unsavedChangesLabel")->isVisible(); }

    test::UiTestContext app;
    ui::ApplicationIcons icons{app.fake.workspace()};
    std::unique_ptr<RuleEditorView> editor;
};

} // namespace

class RuleEditorViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void revertRestoresEveryField()
    {
        rules::Rule stored;
        stored.urlPattern = "example.com";
        stored.content = "Hello";
        EditorHarness editor(stored);
        QVERIFY(!editor.showsUnsaved());
        QVERIFY(!editor.find<QPushButton>("saveButton")->isEnabled());
        QVERIFY(!editor.find<QPushButton>("revertButton")->isEnabled());

        QTest::keyClicks(editor.find<QLineEdit>("ruleNameField"), "x");
        QTest::mouseClick(editor.find<QCheckBox>("enabledSwitch"), Qt::LeftButton);
        QTest::mouseClick(editor.find<QCheckBox>("requireUrlSwitch"), Qt::LeftButton);
        QTest::keyClicks(editor.find<QPlainTextEdit>("contentEditor"), "!");
        QVERIFY(editor.showsUnsaved());
        QCOMPARE(editor.editor->draft().urlPattern, std::nullopt);

        QTest::mouseClick(editor.find<QPushButton>("revertButton"), Qt::LeftButton);
        QCOMPARE(editor.editor->draft(), editor.app.ruleStore.rules()[0]);
        QVERIFY(!editor.showsUnsaved());
        QCOMPARE(editor.find<QLineEdit>("urlPatternField")->text(), QStringLiteral("example.com"));
        QVERIFY(editor.find<QLineEdit>("urlPatternField")->isVisible());
        QVERIFY(editor.find<QCheckBox>("enabledSwitch")->isChecked());
    }

    void choosingAnApplicationIsAnEdit()
    {
        EditorHarness editor(rules::Rule{});
        editor.app.fake.workspace().setRunningApplications(
            {{"org.gnome.Calculator", 7, "Calculator", platform::ActivationPolicy::regular, {}}});
        QTest::mouseClick(editor.find<QPushButton>("changeApplicationButton"), Qt::LeftButton);
        auto* sheet = editor.find<ui::AppPickerSheet>("AppPickerSheet");
        QVERIFY(sheet->isModal() || sheet->windowModality() == Qt::WindowModal);
        sheet->selectApp(sheet->runningApps().front());

        QCOMPARE(editor.editor->draft().bundleID, std::string("org.gnome.Calculator"));
        QCOMPARE(editor.editor->draft().appDisplayName, std::string("Calculator"));
        QVERIFY(editor.showsUnsaved());
        auto* row = editor.find<QWidget>("applicationRow");
        QCOMPARE(row->findChild<QLabel*>(QStringLiteral("caption"))->text(),
                 QStringLiteral("org.gnome.Calculator"));
        QCOMPARE(editor.app.ruleStore.rules()[0].bundleID, std::string("*"));
    }

    void urlFilter()
    {
        const auto mode = URLMatchMode::prefix; // not the default, so choosing it shows
        EditorHarness editor(rules::Rule{});
        auto* pattern = editor.find<QLineEdit>("urlPatternField");
        auto* menu = editor.find<QComboBox>("matchModeMenu");
        auto* helpLine = editor.find<QLabel>("urlPatternHelp");
        QVERIFY(!pattern->isVisible() && !menu->isVisible());

        QTest::mouseClick(editor.find<QCheckBox>("requireUrlSwitch"), Qt::LeftButton);
        QCOMPARE(editor.editor->draft().urlPattern, std::string());
        QVERIFY(pattern->isVisible() && menu->isVisible() && !helpLine->isVisible());
        QVERIFY(editor.showsUnsaved());

        menu->setFocus();
        menu->setCurrentIndex(int(mode));
        Q_EMIT menu->activated(int(mode));
        QCOMPARE(editor.editor->draft().urlMatchMode, mode);
        QCOMPARE(pattern->placeholderText(), RuleEditorView::patternPlaceholder(mode));

        QTest::keyClicks(pattern, "example.org");
        QVERIFY(helpLine->isVisible());
        QCOMPARE(helpLine->text(), "Matches URLs starting with: example.org");

        QTest::mouseClick(editor.find<QCheckBox>("requireUrlSwitch"), Qt::LeftButton);
        QVERIFY(!pattern->isVisible() && !menu->isVisible() && !helpLine->isVisible());
        QCOMPARE(editor.editor->draft().urlPattern, std::nullopt);
        QCOMPARE(editor.editor->draft().urlMatchMode, mode);
    }

    void characterCountIsOfWhatTheUserSees()
    {
        // Man, zero-width joiner, woman, joiner, girl: five code points, eight UTF-16 units.
        const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
        EditorHarness editor(rules::Rule{});
        editor.find<QPlainTextEdit>("contentEditor")->setPlainText(family);
        QCOMPARE(editor.find<QLabel>("characterCount")->text(), "1 characters");
        QCOMPARE(editor.editor->draft().content, family.toStdString());
    }
};

QTEST_MAIN(RuleEditorViewTest)
#include "RuleEditorViewTest.moc"
