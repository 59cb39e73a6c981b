#include "UiTestContext.h"

#include "ui/GlobalKeyboardShortcut.h"
#include "ui/Recorder.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

using namespace ondrel;
using platform::CarbonModifier::command;
using platform::CarbonModifier::control;
using platform::CarbonModifier::shift;

namespace {

constexpr const char* storageKey = "KeyboardShortcuts_ondrel";
constexpr std::uint32_t keyV = 9;
constexpr std::uint32_t keyP = 35;

QString stored(test::UiTestContext& ui)
{
    const auto value = ui.fake.preferences().value(storageKey);
    if (!value)
        return QStringLiteral("<none>");
    if (const auto* flag = std::get_if<bool>(&*value))
        return *flag ? QStringLiteral("true") : QStringLiteral("false");
    return QString::fromStdString(std::get<std::string>(*value));
}

std::vector<bool> activeStatuses(test::UiTestContext& ui)
{
    std::vector<bool> statuses;
    for (const auto& posted : ui.fake.notificationCenter().posted(
             shortcuts::KeyboardShortcuts::recorderActiveStatusDidChange))
        statuses.push_back(std::get<bool>(posted.userInfo.at("isActive")));
    return statuses;
}

} // namespace

class RecorderCocoaTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::UiTestContext> ui;
    std::unique_ptr<QWidget> window;
    ui::RecorderCocoa* recorder = nullptr;
    ui::RecorderCocoa* twin = nullptr;
    QLineEdit* elsewhere = nullptr;
    std::vector<std::optional<shortcuts::Shortcut>> changes;
    int actionRuns = 0;

    shortcuts::Name name()
    {
        return paste::HotkeyCoordinator::smartPasteName(ui->keyboardShortcuts);
    }

    void startRecording()
    {
        recorder->setFocus(Qt::MouseFocusReason);
        QVERIFY(recorder->isRecording());
        ui->fake.notificationCenter().clearHistory();
    }

private Q_SLOTS:
    void init()
    {
        ui = std::make_unique<test::UiTestContext>();
        // Something other than the default, so that storing it is a visible change.
        ui->keyboardShortcuts.setShortcut(shortcuts::Shortcut(keyP, control), name());
        ui->keyboardShortcuts.onKeyDown(name(), [this] { ++actionRuns; });
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        elsewhere = new QLineEdit(window.get());
        layout->addWidget(elsewhere);
        auto* row = new ui::Recorder(ui->context, QStringLiteral("Paste"), name(),
                                     [this](const auto& shortcut) { changes.push_back(shortcut); });
        recorder = &row->control();
        layout->addWidget(row);
        twin = new ui::RecorderCocoa(ui->context, name(), {}, window.get());
        layout->addWidget(twin);
        auto* quit = new QAction(QStringLiteral("&Quit Ondrel"), window.get());
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        window->addAction(quit);
        auto* paste = new QAction(QStringLiteral("Paste Now"), window.get());
        connect(paste, &QAction::triggered, this, [this] { ++actionRuns; });
        ui::GlobalKeyboardShortcut::bind(ui->keyboardShortcuts, name(), paste);
        window->addAction(paste);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        elsewhere->setFocus();
        changes.clear();
        actionRuns = 0;
    }

    void cleanup()
    {
        window.reset();
        QVERIFY(!ui->keyboardShortcuts.isPaused());
        ui.reset();
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("storedAfter"); // empty: unchanged
        QTest::addColumn<QString>("textAfter");   // empty: unchanged
        QTest::addColumn<int>("changeCount");
        QTest::addColumn<bool>("stillRecording");

        const int superShift = Qt::MetaModifier | Qt::ShiftModifier;
        QTest::newRow("Super+Shift+V is stored")
            << int(Qt::Key_V) << superShift
            << QStringLiteral(R"({"carbonKeyCode":9,"carbonModifiers":768})")
            << QStringLiteral("\u21E7\u2318V") << 1 << false;
        QTest::newRow("Shift+A beeps")
            << int(Qt::Key_A) << int(Qt::ShiftModifier) << QString() << QString() << 0 << true;
        QTest::newRow("F5 alone is a function key")
            << int(Qt::Key_F5) << 0 << QStringLiteral(R"({"carbonKeyCode":96,"carbonModifiers":0})")
            << QStringLiteral("F5") << 1 << false;
        QTest::newRow("Escape keeps the old one")
            << int(Qt::Key_Escape) << 0 << QString() << QString() << 0 << false;
        QTest::newRow("Delete clears and keeps recording")
            << int(Qt::Key_Backspace) << 0 << QStringLiteral("false") << QStringLiteral("") << 1
            << true;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, storedAfter);
        QFETCH(QString, textAfter);
        QFETCH(int, changeCount);
        QFETCH(bool, stillRecording);
        const QString storedBefore = stored(*ui);
        const QString textBefore = recorder->text();

        startRecording();
        QTest::keyClick(recorder, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(stored(*ui), storedAfter.isNull() ? storedBefore : storedAfter);
        QCOMPARE(recorder->text(), textAfter.isNull() ? textBefore : textAfter);
        QCOMPARE(twin->text(), recorder->text());
        QCOMPARE(int(changes.size()), changeCount);
        QCOMPARE(recorder->isRecording(), stillRecording);
        QCOMPARE(ui->keyboardShortcuts.isPaused(), stillRecording);
        if (!stillRecording)
            QCOMPARE(activeStatuses(*ui).back(), false);
        QCOMPARE(actionRuns, 0); // neither the hotkey nor its in-window mirror acted
    }

    void menuConflictAlertsAndResumes()
    {
        startRecording();
        QTest::keyClick(recorder, Qt::Key_Q, Qt::ControlModifier);
        const auto& alerts = ui->fake.alerts().shownAlerts();
        QCOMPARE(alerts.size(), size_t(1));
        QVERIFY(QString::fromStdString(alerts[0].messageText).contains("\u201CQuit Ondrel\u201D"));
        QCOMPARE(ui->fake.alerts().alertWindows()[0], static_cast<void*>(window.get()));
        QCOMPARE(stored(*ui), QStringLiteral(R"({"carbonKeyCode":35,"carbonModifiers":4096})"));
        QVERIFY(recorder->isRecording());
    }

    void systemConflict_data()
    {
        QTest::addColumn<int>("answer"); // -1: Escape
        QTest::addColumn<bool>("stored");
        QTest::newRow("OK") << 0 << false;
        QTest::newRow("Use Anyway") << 1 << true;
        QTest::newRow("Escape is OK") << -1 << false;
    }

    void systemConflict()
    {
        QFETCH(int, answer);
        QFETCH(bool, stored);
        ui->fake.keyboardLayout().setTakenBySystem(keyV, command | shift);
        answer < 0 ? ui->fake.alerts().queueEscape() : ui->fake.alerts().queueAnswer(answer);
        startRecording();
        QTest::keyClick(recorder, Qt::Key_V, Qt::MetaModifier | Qt::ShiftModifier);
        QCOMPARE(ui->fake.alerts().shownAlerts().size(), size_t(1));
        QCOMPARE(::stored(*ui).contains("768"), stored);
        QCOMPARE(recorder->isRecording(), !stored);
    }

    void globalShortcutRunsNothingWhileRecording()
    {
        QTest::keyClick(elsewhere, Qt::Key_P, Qt::ControlModifier); // the in-window mirror
        QCOMPARE(actionRuns, 1);
        startRecording();
        QVERIFY(!ui->fake.hotkeys().press(keyP, control)); // our grab is let go meanwhile
        QTest::keyClick(recorder, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(actionRuns, 1);
        QVERIFY(!recorder->isRecording());
        QVERIFY(ui->fake.hotkeys().press(keyP, control));
        QCOMPARE(actionRuns, 2);
    }

    void windowLosingFocusEndsRecordingForGood()
    {
        startRecording();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!recorder->isRecording());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCoreApplication::processEvents();
        QVERIFY(!recorder->isRecording());
        QVERIFY(!ui->keyboardShortcuts.isPaused());
    }

    void clickOutsideEndsRecordingBeyondThreePoints()
    {
        startRecording();
        const QPoint corner = recorder->mapTo(window.get(), QPoint(recorder->width(), 0));
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, corner + QPoint(2, 1));
        QVERIFY(recorder->isRecording());
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, corner + QPoint(8, 1));
        QVERIFY(!recorder->isRecording());
    }
};

QTEST_MAIN(RecorderCocoaTest)
#include "RecorderCocoaTest.moc"
