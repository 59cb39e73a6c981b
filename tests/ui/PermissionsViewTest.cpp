#include "UiTestContext.h"

#include "ui/PermissionRow.h"
#include "ui/PermissionsView.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTest>

using namespace ondrel;
using namespace std::chrono_literals;
using platform::TrustRequest;

class PermissionsViewTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::UiTestContext> ui;
    std::unique_ptr<QStackedWidget> window;
    ui::PermissionsView* view = nullptr;

    void open(bool trusted, bool canSynthesize = true)
    {
        ui->fake.accessibility().setTrusted(trusted);
        ui->fake.accessibility().setCanSynthesizeInput(canSynthesize);
        ui->permissionManager.refreshAccessibility();
        window = std::make_unique<QStackedWidget>();
        window->addWidget(new QWidget);
        view = new ui::PermissionsView(ui->context);
        window->addWidget(view);
        window->setCurrentWidget(view);
        window->show();
    }

private Q_SLOTS:
    void init() { ui = std::make_unique<test::UiTestContext>(); }
    void cleanup()
    {
        window.reset();
        ui.reset();
    }

    void pollsOnlyWhileShown()
    {
        open(true);
        QCOMPARE(ui->fake.executor().pendingTimers(), size_t(1));
        QShowEvent again;
        QApplication::sendEvent(view, &again); // shown twice without closing
        QCOMPARE(ui->fake.executor().pendingTimers(), size_t(1));
        window->setCurrentIndex(0);
        QCOMPARE(ui->fake.executor().pendingTimers(), size_t(0));
        window->setCurrentWidget(view);
        QCOMPARE(ui->fake.executor().pendingTimers(), size_t(1));
    }

    void grantWhileShownTurnsGreenWithinOnePoll()
    {
        open(false);
        QVERIFY(!view->accessibilityRow().isGranted());
        QVERIFY(view->accessibilityRow().button()->isVisible());
        ui->fake.accessibility().setTrusted(true);
        ui->fake.executor().advance(2s);
        QVERIFY(view->accessibilityRow().isGranted());
        QVERIFY(!view->accessibilityRow().button()->isVisible());
    }

    void buttonTurnsTrustOnBeforeAnySettings_data()
    {
        QTest::addColumn<TrustRequest>("answer");
        QTest::addColumn<int>("settingsOpened");
        QTest::addColumn<bool>("granted");
        QTest::newRow("switched on") << TrustRequest::granted << 0 << true;
        QTest::newRow("declined") << TrustRequest::declined << 0 << false;
        QTest::newRow("switch failed") << TrustRequest::failed << 1 << false;
    }

    void buttonTurnsTrustOnBeforeAnySettings()
    {
        QFETCH(TrustRequest, answer);
        QFETCH(int, settingsOpened);
        QFETCH(bool, granted);
        open(false);
        ui->fake.accessibility().setRequestAnswer(answer);
        QPushButton* button = view->accessibilityRow().button();
        QCOMPARE(button->text(), QStringLiteral("Turn On Accessibility"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(ui->fake.accessibility().requestTrustCount(), 1);
        QCOMPARE(ui->settingsOpened, settingsOpened);
        QCOMPARE(view->accessibilityRow().isGranted(), granted);
    }

    void withoutXTestTheRowSaysSo()
    {
        open(false, false);
        QVERIFY(!view->accessibilityRow().button()->isVisible());
        auto* note = view->accessibilityRow().findChild<QLabel*>(QStringLiteral("note"));
        QVERIFY(note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral("XTEST")));
    }
};

QTEST_MAIN(PermissionsViewTest)
#include "PermissionsViewTest.moc"
