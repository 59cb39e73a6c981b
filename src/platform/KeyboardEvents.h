#pragma once

#include "Service.h"

namespace ondrel::platform {

// Synthetic keystrokes into the frontmost application.
class KeyboardEvents : public Service
{
public:
    /// Posts the paste keystroke (Command-V; Ctrl+V on X11) with exactly the paste modifier held.
    virtual bool postPasteKeystroke() = 0;
};

} // namespace ondrel::platform
