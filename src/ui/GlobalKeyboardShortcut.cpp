#include "GlobalKeyboardShortcut.h"

#include "KeySequences.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"

#include <QAction>
#include <QPointer>

#include <utility>

namespace ondrel::ui {

using shortcuts::KeyboardShortcuts;

GlobalKeyboardShortcut::GlobalKeyboardShortcut(KeyboardShortcuts& component, shortcuts::Name name,
                                               QAction* action)
    : QObject(action), m_component(component), m_name(std::move(name)), m_action(action)
{
    platform::NotificationCenter& center = m_component.notificationCenter();
    const QPointer<GlobalKeyboardShortcut> self(this);
    m_activeObserver =
        center.addObserver(KeyboardShortcuts::recorderActiveStatusDidChange,
                           [self](const std::string&, const platform::UserInfo& userInfo) {
                               // A notification without a boolean says nothing about recorders.
                               const bool* isActive = platform::userInfoBool(userInfo, "isActive");
                               if (self && isActive) {
                                   self->m_isRecorderActive = *isActive;
                                   self->refresh();
                               }
                           });
    m_changeObserver =
        center.addObserver(KeyboardShortcuts::shortcutByNameDidChange,
                           [self](const std::string&, const platform::UserInfo& userInfo) {
                               const std::string* name = platform::userInfoText(userInfo, "name");
                               if (self && name && *name == self->m_name.rawValue)
                                   self->refresh();
                           });
    refresh();
}

GlobalKeyboardShortcut::~GlobalKeyboardShortcut()
{
    m_component.notificationCenter().removeObserver(m_activeObserver);
    m_component.notificationCenter().removeObserver(m_changeObserver);
}

GlobalKeyboardShortcut* GlobalKeyboardShortcut::bind(KeyboardShortcuts& component,
                                                     const shortcuts::Name& name, QAction* action)
{
    return new GlobalKeyboardShortcut(component, name, action);
}

void GlobalKeyboardShortcut::refresh()
{
    std::optional<QKeySequence> sequence;
    if (!m_isRecorderActive) {
        if (const auto shortcut = m_component.getShortcut(m_name))
            sequence = keySequence(*shortcut, m_component);
    }
    m_action->setShortcut(sequence.value_or(QKeySequence()));
}

} // namespace ondrel::ui
