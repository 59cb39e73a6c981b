#include "QtAlerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <vector>

namespace ondrel::platform::freedesktop {

namespace {

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::informational:
        return QMessageBox::Information;
    case AlertStyle::critical:
        return QMessageBox::Critical;
    case AlertStyle::warning:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

int QtAlerts::runModal(const Alert& alert)
{
    return runSheet(alert, nullptr);
}

int QtAlerts::runSheet(const Alert& alert, WindowHandle window)
{
    auto* parent = static_cast<QWidget*>(window);
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Ondrel"));
    box.setIcon(iconFor(alert.style));
    box.setText(QString::fromStdString(alert.messageText));
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    // On a window, the alert blocks only that window, like a sheet; the rest keeps working.
    box.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);

    std::vector<std::string> titles = alert.buttons;
    if (titles.empty()) {
        titles.emplace_back("OK");
    }
    const std::size_t cancel = alert.cancelButton < titles.size() ? alert.cancelButton : 0;
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        auto role = i == cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        buttons.push_back(box.addButton(QString::fromStdString(titles[i]), role));
    }
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    // Escape or closing the window gives the answer that changes nothing.
    box.setEscapeButton(buttons[cancel]);
    box.exec();

    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(cancel);
}

std::optional<std::string> QtAlerts::chooseApplication(const std::string& folder)
{
    // Over the window that asked (the application picker), so it stays in front of it.
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Choose an application"),
                       QString::fromStdString(folder), QStringLiteral("Applications (*.desktop)"));
    dialog.setObjectName(QStringLiteral("applicationChooser"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Select"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

} // namespace ondrel::platform::freedesktop
