#include "QtAlerts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace ondrel::platform::x11 {

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
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Ondrel"));
    box.setIcon(iconFor(alert.style));
    box.setText(QString::fromStdString(alert.messageText));
    box.setInformativeText(QString::fromStdString(alert.informativeText));

    std::vector<std::string> titles = alert.buttons;
    if (titles.empty()) {
        titles.emplace_back("OK");
    }
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        // The first button is the default; any other is a way out.
        auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        buttons.push_back(box.addButton(QString::fromStdString(titles[i]), role));
    }
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    // Escape or closing the window counts as the last button ("Later", "Cancel").
    box.setEscapeButton(buttons.back());
    box.exec();

    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(buttons.size() - 1);
}

std::optional<std::string> QtAlerts::chooseApplication(const std::string& folder)
{
    const QString path = QFileDialog::getOpenFileName(
        nullptr, QStringLiteral("Choose an Application"), QString::fromStdString(folder),
        QStringLiteral("Applications (*.desktop)"));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

} // namespace ondrel::platform::x11
