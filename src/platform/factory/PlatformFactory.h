#pragma once

#include "platform/Platform.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace ondrel::platform {

enum class BackendKind
{
    x11,
    wayland, // wlroots compositors driven through sway's IPC
};

// The desktop the backend needs cannot be reached (no X display, for instance).
class PlatformUnavailable : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// The backend ONDREL_PLATFORM names ("x11" or "wayland"); when it names none, the one the
/// session calls for (any other value also gives one warning line).
BackendKind backendFromEnvironment();
/// Builds the backend backendFromEnvironment() gives. Construct it on the main thread, after
/// the QApplication. Throws PlatformUnavailable with a message for the
/// user when it cannot start. Its `session` says when smart paste cannot work in this session.
std::unique_ptr<Platform> createPlatform();
/// Builds the given backend.
std::unique_ptr<Platform> createPlatform(BackendKind kind);

} // namespace ondrel::platform
