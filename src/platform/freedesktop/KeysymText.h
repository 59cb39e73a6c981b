#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ondrel::platform::freedesktop {

/// The text a keysym types, with dead keys shown as their spacing accent; none for keys that
/// type nothing or only a control character.
std::optional<std::string> textOfKeysym(std::uint32_t keysym);

} // namespace ondrel::platform::freedesktop
