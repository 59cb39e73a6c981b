#include "LocalEventMonitor.h"

#include <QCoreApplication>
#include <QWidget>

#include <utility>

namespace ondrel::ui {

LocalEventMonitor::LocalEventMonitor(std::initializer_list<QEvent::Type> events, Callback callback)
    : m_events(events), m_callback(std::move(callback))
{}

LocalEventMonitor::~LocalEventMonitor()
{
    if (m_started && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void LocalEventMonitor::start()
{
    if (m_started || !QCoreApplication::instance())
        return;
    QCoreApplication::instance()->installEventFilter(this);
    m_started = true;
}

bool LocalEventMonitor::eventFilter(QObject* watched, QEvent* event)
{
    // A window forwards input to one of its widgets; only that second delivery counts, so an
    // event is judged once and where it is aimed.
    if (!watched->isWidgetType() || !m_events.contains(event->type()))
        return false;
    // The callback may end the monitor; keep what it needs on the stack.
    const Callback callback = m_callback;
    return !callback(watched, event);
}

} // namespace ondrel::ui
