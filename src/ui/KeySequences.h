#pragma once

#include "KeyboardShortcuts/Menu.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QKeySequence>

#include <optional>

namespace ondrel::shortcuts {
class KeyboardShortcuts;
}

namespace ondrel::ui {

// Between the shortcut component's stored combinations and Qt's key sequences.

/// The in-window key sequence of a shortcut: Super for Command, Alt for Option; none for keys Qt
/// cannot name (the keypad keys, keys that type nothing on the current layout).
std::optional<QKeySequence> keySequence(const shortcuts::Shortcut& shortcut,
                                        const shortcuts::KeyboardShortcuts& component);

/// The application's own key sequences as one menu tree: every action with a shortcut in every
/// top-level window and menu, titled by its text. Searched for conflicts with a new shortcut.
shortcuts::Menu applicationMenu();

} // namespace ondrel::ui
