#pragma once

namespace ondrel::shortcuts {

// What happened to a shortcut's key: pressed or released.
enum class EventType
{
    keyDown,
    keyUp,
};

} // namespace ondrel::shortcuts
