#pragma once

#include "KeyboardShortcuts/Name.h"
#include "platform/NotificationCenter.h"

#include <QObject>

class QAction;

namespace ondrel::shortcuts {
class KeyboardShortcuts;
}

namespace ondrel::ui {

// Gives an action the in-window shortcut equal to a name's stored shortcut, following its
// changes, and none while any recorder records (so recording never triggers the action).
// Lives as a child of the action.
class GlobalKeyboardShortcut final : public QObject
{
    Q_OBJECT

public:
    GlobalKeyboardShortcut(shortcuts::KeyboardShortcuts& component, shortcuts::Name name,
                           QAction* action);
    ~GlobalKeyboardShortcut() override;

    /// Binds action to name; the binding lives as long as the action.
    static GlobalKeyboardShortcut* bind(shortcuts::KeyboardShortcuts& component,
                                        const shortcuts::Name& name, QAction* action);

private:
    void refresh();

    shortcuts::KeyboardShortcuts& m_component;
    shortcuts::Name m_name;
    QAction* m_action;
    bool m_isRecorderActive = false;
    platform::NotificationCenter::ObserverToken m_activeObserver = 0;
    platform::NotificationCenter::ObserverToken m_changeObserver = 0;
};

} // namespace ondrel::ui
