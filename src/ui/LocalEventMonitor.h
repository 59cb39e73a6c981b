#pragma once

#include <QEvent>
#include <QObject>

#include <functional>
#include <initializer_list>
#include <set>

namespace ondrel::ui {

// Sees the application's events of some types before the widget they are meant for, while it
// lives. The callback answers true to let an event through and false to swallow it. Each event
// is offered once, at the widget it is meant for (not at the window that forwards it there).
class LocalEventMonitor final : public QObject
{
public:
    using Callback = std::function<bool(QObject* receiver, QEvent* event)>;

    LocalEventMonitor(std::initializer_list<QEvent::Type> events, Callback callback);
    ~LocalEventMonitor() override;

    /// Starts seeing events.
    void start();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::set<QEvent::Type> m_events;
    Callback m_callback;
    bool m_started = false;
};

} // namespace ondrel::ui
