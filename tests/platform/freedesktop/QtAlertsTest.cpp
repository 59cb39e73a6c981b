#include "platform/freedesktop/QtAlerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using ondrel::platform::Alert;
using ondrel::platform::AlertStyle;
using ondrel::platform::freedesktop::QtAlerts;

namespace {

// Acts on the modal dialog once it is on screen.
void whenModalShows(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act = std::move(act)]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModalShows(std::move(act));
            return;
        }
        act(modal);
    });
}

QAbstractButton* buttonTitled(QMessageBox* box, const QString& title)
{
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == title) {
            return button;
        }
    }
    return nullptr;
}

const Alert kAlert{"Accessibility Permission Required",
                   "Ondrel needs Accessibility access to simulate the paste keystroke.",
                   {"Open System Settings", "Later"},
                   AlertStyle::informational,
                   1};

TEST(QtAlerts, ReturnsTheIndexOfTheButtonPressedAndCloseCancels)
{
    QtAlerts alerts;
    QString defaultTitle;
    QString text;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        defaultTitle = box->defaultButton()->text();
        text = box->text();
        buttonTitled(box, "Open System Settings")->click();
    });
    EXPECT_EQ(alerts.runModal(kAlert), 0);
    EXPECT_EQ(defaultTitle, "Open System Settings");
    EXPECT_EQ(text, "Accessibility Permission Required");

    // Closing the alert counts as its cancel button.
    whenModalShows([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(alerts.runModal(kAlert), 1);

    // An alert without buttons gets OK.
    whenModalShows([&](QWidget* modal) {
        defaultTitle = qobject_cast<QMessageBox*>(modal)->defaultButton()->text();
        buttonTitled(qobject_cast<QMessageBox*>(modal), "OK")->click();
    });
    EXPECT_EQ(alerts.runModal(Alert{"Message", "", {}, AlertStyle::warning}), 0);
    EXPECT_EQ(defaultTitle, "OK");
}

TEST(QtAlerts, SheetBlocksOnlyItsWindowAndEscapeNeverForces)
{
    QtAlerts alerts;
    QWidget window;
    window.show();
    const QWidget* parent = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    whenModalShows([&](QWidget* modal) {
        parent = modal->parentWidget();
        modality = modal->windowModality();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(modal, &escape);
    });
    const Alert conflict{"Used by the system", "", {"OK", "Use Anyway"}, AlertStyle::warning, 0};
    EXPECT_EQ(alerts.runSheet(conflict, &window), 0);
    EXPECT_EQ(parent, &window);
    EXPECT_EQ(modality, Qt::WindowModal);
}

TEST(QtAlerts, CancelledChooserGivesNothing)
{
    QtAlerts alerts;
    QString directory;
    whenModalShows([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            directory = dialog->directory().absolutePath();
        }
        modal->close();
    });
    EXPECT_EQ(alerts.chooseApplication("/usr/share"), std::nullopt);
    EXPECT_EQ(directory, "/usr/share");
}

} // namespace
