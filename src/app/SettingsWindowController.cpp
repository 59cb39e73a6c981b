#include "SettingsWindowController.h"

#include "platform/Platform.h"
#include "ui/SettingsView.h"
#include "ui/UiContext.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
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
    layout->setSpacing(0);
    // Rules can still be edited where smart paste cannot run; the window says so at the top
    // rather than letting the user wonder why the shortcut does nothing.
    if (const auto& session = context.platform.session; !session.smartPasteAvailable()) {
        auto* notice =
            new QLabel(QString::fromStdString(session.unavailableReason), m_window.get());
        notice->setObjectName(QStringLiteral("sessionNotice"));
        notice->setAccessibleName(notice->text());
        notice->setTextFormat(Qt::PlainText);
        notice->setWordWrap(true);
        notice->setContentsMargins(12, 8, 12, 8);
        notice->setAutoFillBackground(true);
        QPalette palette = notice->palette();
        palette.setColor(QPalette::Window, QColor(255, 196, 0, 60));
        notice->setPalette(palette);
        layout->addWidget(notice);
    }
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
