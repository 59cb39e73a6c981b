#include "app/AppDelegate.h"
#include "app/SingleInstance.h"
#include "app/UnixSignals.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "ui/SettingsView.h"

#include "TemporaryHome.h"

#include "platform/fake/FakePlatform.h"

#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace ondrel;

namespace {

constexpr std::uint32_t vKey = 9;
constexpr std::uint32_t commandShift = 0x100 | 0x200;

// Answers "Later" and notes what launch had already built when the alert came up.
class AlertProbe final : public platform::Alerts
{
public:
    std::function<void()> onAlert;
    int runModal(const platform::Alert&) override
    {
        ++shown;
        if (onAlert)
            onAlert();
        return 1;
    }
    int runSheet(const platform::Alert& alert, platform::WindowHandle) override
    {
        return runModal(alert);
    }
    std::optional<std::string> chooseApplication(const std::string&) override { return {}; }
    int shown = 0;
};

} // namespace

class AppDelegateTest : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        explicit Fixture(bool trusted = true, std::string unavailableReason = {})
        {
            fakes.accessibility().setTrusted(trusted);
            auto platform = fakes.takePlatform();
            platform->session.unavailableReason = std::move(unavailableReason);
            auto probe = std::make_unique<AlertProbe>();
            alerts = probe.get();
            platform->alerts = std::move(probe);
            delegate = std::make_unique<app::AppDelegate>(std::move(platform), [this] { ++quits; });
        }

        test::TemporaryHome home;
        platform::fake::FakePlatform fakes;
        AlertProbe* alerts;
        int quits = 0;
        std::unique_ptr<app::AppDelegate> delegate;
    };

private Q_SLOTS:
    void accessibilityAlertComesAfterTrayAndShortcut()
    {
        Fixture f(false);
        bool trayBuilt = false;
        bool shortcutGrabbed = false;
        f.alerts->onAlert = [&] {
            trayBuilt = f.delegate->statusItem() && f.delegate->statusItem()->panel();
            shortcutGrabbed = f.fakes.hotkeys().registrationFor(vKey, commandShift).has_value();
        };
        f.delegate->applicationDidFinishLaunching();
        QCOMPARE(f.alerts->shown, 1);
        QVERIFY(trayBuilt);
        QVERIFY(shortcutGrabbed);
        QVERIFY(f.fakes.preferences().contains("KeyboardShortcuts_ondrel"));
    }

    void unreadableRulesFileIsToldOnceNamingTheKeptCopy()
    {
        Fixture f;
        const auto rulesFile = f.home.dataHome() / "Ondrel" / "rules.json";
        std::filesystem::create_directories(rulesFile.parent_path());
        std::ofstream(rulesFile) << R"({"version":1,"rules":[{"id":)";
        f.delegate->applicationDidFinishLaunching();
        const auto& delivered = f.fakes.userNotifications().delivered();
        QCOMPARE(delivered.size(), std::size_t{1});
        QCOMPARE(delivered[0].identifier, std::string(app::AppDelegate::rejectedRulesNotification));
        QVERIFY(delivered[0].body.find("rules.json.rejected-") != std::string::npos);
    }

    void menuHasSettingsAndQuitWithTheirShortcuts()
    {
        Fixture f;
        f.delegate->applicationDidFinishLaunching();
        const auto actions = f.delegate->statusItem()->menu().actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[2]->shortcut().toString(), "Ctrl+Q");

        actions[2]->trigger();
        QCOMPARE(f.quits, 1);
        actions[0]->trigger();
        QVERIFY(f.delegate->settingsWindowController()->window().isVisible());
    }

    void panelTogglesAndEscapeOrItsSettingsRowCloseIt()
    {
        Fixture f;
        f.delegate->applicationDidFinishLaunching();
        app::StatusItem& item = *f.delegate->statusItem();
        item.statusItemClicked();
        QVERIFY(item.isPanelShown());
        item.statusItemClicked();
        QVERIFY(!item.isPanelShown());
        item.statusItemClicked();
        QTest::keyClick(item.panel(), Qt::Key_Escape);
        QVERIFY(!item.isPanelShown());

        item.statusItemClicked();
        auto* settingsRow =
            item.panel()->findChild<QAbstractButton*>(QStringLiteral("settingsRow"));
        QTest::mouseClick(settingsRow, Qt::LeftButton);
        QVERIFY(!item.isPanelShown());
        QVERIFY(f.delegate->settingsWindowController()->window().isVisible());
    }

    void settingsWindowIsBuiltOnceAndKept()
    {
        Fixture f;
        f.delegate->applicationDidFinishLaunching();
        QVERIFY(!f.delegate->settingsWindowController());
        f.delegate->openSettings();
        QWidget* window = &f.delegate->settingsWindowController()->window();
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const QPoint centred = window->pos();
        auto* view = window->findChild<ui::SettingsView*>();
        view->setSelection(ui::SettingsView::SidebarItem::permissions());

        window->close();
        QVERIFY(!window->isVisible());
        window->move(centred + QPoint(40, 40));
        f.delegate->openSettings();
        QCOMPARE(&f.delegate->settingsWindowController()->window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos(), centred + QPoint(40, 40));
        QVERIFY(view->selection() == ui::SettingsView::SidebarItem::permissions());
    }

    void unsupportedSessionIsSaidInPanelAndWindow_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("supported") << QString();
        QTest::newRow("unsupported") << QStringLiteral("Smart paste is not available here.");
    }
    void unsupportedSessionIsSaidInPanelAndWindow()
    {
        QFETCH(QString, reason);
        Fixture f(true, reason.toStdString());
        f.delegate->applicationDidFinishLaunching();
        f.delegate->openSettings();
        for (QWidget* top : {static_cast<QWidget*>(f.delegate->statusItem()->panel()),
                             &f.delegate->settingsWindowController()->window()}) {
            auto* notice = top->findChild<QLabel*>(QStringLiteral("sessionNotice"));
            QCOMPARE(notice != nullptr, !reason.isEmpty());
            if (notice)
                QCOMPARE(notice->text(), reason);
        }
    }

    // Runs without a session bus (see CMakeLists.txt): the lock in $XDG_RUNTIME_DIR decides.
    void withoutBusASecondClaimActivatesTheFirstThroughTheLock()
    {
        test::TemporaryHome home;
        int activations = 0;
        app::UnixSignals unixSignals([] {}, [&] { ++activations; });
        app::SingleInstance first([&] { ++activations; });
        QCOMPARE(first.claim(), app::SingleInstance::Outcome::claimed);
        app::SingleInstance second([] {});
        QCOMPARE(second.claim(), app::SingleInstance::Outcome::activatedOther);
        QTRY_COMPARE(activations, 1);
    }

    void panelHangsUnderTheIconOrAboveAtTheBottom_data()
    {
        QTest::addColumn<QRect>("icon");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("top bar, right edge") << QRect(1256, 0, 24, 24) << QPoint(998, 28);
        QTest::newRow("bottom bar") << QRect(1256, 1000, 24, 24) << QPoint(998, 856);
    }

    void panelHangsUnderTheIconOrAboveAtTheBottom()
    {
        QFETCH(QRect, icon);
        QFETCH(QPoint, expected);
        QCOMPARE(app::StatusItem::panelPosition(icon, QSize(282, 140), QRect(0, 0, 1280, 1024)),
                 expected);
    }
};

QTEST_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
