#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ondrel::platform::freedesktop {

// What the accessibility services need to know from the display server. The display backend
// answers over its own connection, so no second connection is opened and these services know
// no display protocol. Called from worker threads; an unset answer counts as "no".
struct DisplayFacts
{
    /// Whether the display takes synthetic keystrokes.
    std::function<bool()> canPostKeystrokes;
    /// The title of the window the desktop considers active, or none.
    std::function<std::optional<std::string>()> activeWindowTitle;
};

} // namespace ondrel::platform::freedesktop
