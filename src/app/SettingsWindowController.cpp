#include "SettingsWindowController.h"

#include "ui/SettingsView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace ondrel::app {

SettingsWindowController::SettingsWindowController(ui::UiContext& context)
    : m_window(std::make_unique<QWidget>(
          nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint))
{
    m_window->setObjectName(QStringLiteral("SettingsWindow"));
    m_window->setWindowTitle(QStringLiteral("Ondrel Settings"));
    m_window->setAccessibleName(QStringLiteral("Ondrel Settings"));
    m_window->setFixedSize(windowWidth, windowHeight);
    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ui::SettingsView(context, m_window.get()));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}

void SettingsWindowController::showWindow()
{
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace ondrel::app
