#include "ui/MenuBarView.h"
#include "ui/HoverEffectModifier.h"

#include "UiTestContext.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;
using namespace ondrel;

namespace {

rules::Rule makeRule(std::string name, bool enabled = true)
{
    rules::Rule rule;
    rule.name = std::move(name);
    rule.bundleID = "*";
    rule.content = "text";
    rule.isEnabled = enabled;
    return rule;
}

} // namespace

class MenuBarViewTest : public QObject
{
    Q_OBJECT

    // A view on the shared test context, counting what its rows run.
    struct Fixture : test::UiTestContext
    {
        Fixture()
        {
            platform::RunningApplication editor;
            editor.bundleIdentifier = "org.gnome.TextEditor";
            editor.processIdentifier = 7;
            fake.workspace().setFrontmostApplication(editor);
            view = std::make_unique<ui::MenuBarView>(
                ruleStore, *coordinator, [this] { ++rowSettings; }, [this] { ++quits; });
        }

        // One smart paste run to its end on the virtual clock.
        void paste()
        {
            coordinator->performSmartPaste();
            fake.executor().advance(5s);
        }

        int rowSettings = 0;
        int quits = 0;
        std::unique_ptr<ui::MenuBarView> view;
    };

    static QString text(const ui::MenuBarView& view, const char* name)
    {
        return view.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    static bool lastMatchShown(const ui::MenuBarView& view)
    {
        return !view.findChild<QWidget*>(QStringLiteral("lastMatchLine"))->isHidden();
    }
    static bool hovered(const ui::MenuBarView& view, const char* row)
    {
        return view.findChild<QAbstractButton*>(QString::fromLatin1(row))
            ->findChild<ui::HoverEffectModifier*>()
            ->isHovered();
    }

private Q_SLOTS:
    void countsEnabledRulesLive_data()
    {
        QTest::addColumn<QList<bool>>("enabled");
        QTest::addColumn<QString>("expected");
        QTest::newRow("only disabled") << QList<bool>{false, false} << "0 active rules";
        QTest::newRow("one among disabled") << QList<bool>{false, true, false} << "1 active rule";
    }

    void countsEnabledRulesLive()
    {
        QFETCH(QList<bool>, enabled);
        QFETCH(QString, expected);
        Fixture f;
        for (bool on : enabled)
            f.ruleStore.addRule(makeRule("rule", on));
        QCOMPARE(text(*f.view, "activeRulesText"), expected);
    }

    void lastLineAppearsWithTheNewestMatch()
    {
        Fixture f;
        f.ruleStore.addRule(makeRule("Signature"));
        QVERIFY(!lastMatchShown(*f.view));

        f.paste();
        QVERIFY(lastMatchShown(*f.view));
        QCOMPARE(text(*f.view, "lastMatchText"), "Last: Signature");

        rules::Rule renamed = f.ruleStore.rules().front();
        renamed.name = "";
        f.ruleStore.updateRule(renamed);
        f.paste();
        QCOMPARE(text(*f.view, "lastMatchText"), "Last: ");
    }

    void rowsRunTheirActionsAndHighlightOnlyUnderThePointer()
    {
        Fixture f;
        f.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.view.get()));
        auto* settings = f.view->findChild<QAbstractButton*>(QStringLiteral("settingsRow"));
        auto* quit = f.view->findChild<QAbstractButton*>(QStringLiteral("quitRow"));

        QTest::mouseMove(settings, settings->rect().center());
        QTRY_VERIFY(hovered(*f.view, "settingsRow"));
        QVERIFY(!hovered(*f.view, "quitRow"));
        QTest::mouseMove(quit, quit->rect().center());
        QTRY_VERIFY(hovered(*f.view, "quitRow"));
        QVERIFY(!hovered(*f.view, "settingsRow"));
        QTest::mouseMove(f.view.get(), QPoint(5, 5));
        QTRY_VERIFY(!hovered(*f.view, "quitRow"));

        QTest::mouseClick(settings, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseClick(quit, Qt::LeftButton, {}, QPoint(quit->width() - 2, 2));
        QCOMPARE(f.rowSettings, 1);
        QCOMPARE(f.quits, 1);
    }
};

QTEST_MAIN(MenuBarViewTest)
#include "MenuBarViewTest.moc"
