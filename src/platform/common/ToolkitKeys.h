#pragma once

#include "platform/KeyboardLayout.h"

#include <cstdint>
#include <optional>

namespace ondrel::platform {

/// The macOS key code of the key a toolkit key names on a US layout; none for keys without one.
/// Used where the display gave no scan code (synthesised events).
std::optional<std::uint32_t> macKeyCodeForToolkitKey(int key);

/// Carbon modifier bits of ToolkitModifier bits (Meta is Super, Command's place).
std::uint32_t carbonModifiersForToolkit(std::uint32_t toolkitModifiers);

} // namespace ondrel::platform
