#include "UiTestContext.h"

#include "ui/PermissionRow.h"
#include "ui/PermissionsView.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

using namespace ondrel;
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
        window->setCurrentIndex(0);
        QCOMPARE(ui->fake.executor().pendingTimers(), size_t(0));
        window->setCurrentWidget(view);
        QCOMPARE(ui->fake.executor().pendingTimers(), size_t(1));
    }

    // What each answer to the request leads to, and the poll, are the permission manager's; the
    // row asks it and shows whatever it publishes at once.
    void buttonTurnsTrustOn()
    {
        open(false);
        ui->fake.accessibility().setRequestAnswer(TrustRequest::granted);
        QPushButton* button = view->accessibilityRow().button();
        QVERIFY(!view->accessibilityRow().isGranted() && button->isVisible());
        QCOMPARE(button->text(), QStringLiteral("Turn On Accessibility"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(ui->fake.accessibility().requestTrustCount(), 1);
        QVERIFY(view->accessibilityRow().isGranted() && !button->isVisible());
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
