#pragma once

#include "platform/freedesktop/DisplayFacts.h"

#include <memory>

namespace ondrel::platform::x11 {

class X11Connection;

/// The display facts the accessibility services ask for, read over this connection. The
/// answers hold the connection weakly: a late worker must never be the one that closes it.
freedesktop::DisplayFacts displayFactsOf(const std::shared_ptr<X11Connection>& connection);

} // namespace ondrel::platform::x11
