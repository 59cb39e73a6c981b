#pragma once

#include "Service.h"

namespace ondrel::platform {

// The keystrokes applications paste with.
enum class PasteKeystroke
{
    standard, // Command-V; Ctrl+V on X11
    terminal, // Ctrl+Shift+V: terminal emulators take Ctrl+V as a literal control character
};

// Synthetic keystrokes into the frontmost application.
class KeyboardEvents : public Service
{
public:
    /// Posts a paste keystroke with exactly its modifiers held, whatever keys the user holds.
    virtual bool postPasteKeystroke(PasteKeystroke keystroke) = 0;
};

} // namespace ondrel::platform
