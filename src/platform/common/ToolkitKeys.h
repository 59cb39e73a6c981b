#pragma once

#include "platform/KeyboardLayout.h"

#include <cstdint>
#include <optional>

namespace ondrel::platform {

/// The macOS key code at the position of a display's key code; none for keys without one.
using PositionOfScanCode = std::optional<std::uint32_t> (*)(std::uint32_t scanCode);

/// A toolkit key press in the stored form. The key is taken by its position when the display
/// gave a scan code and positionOf can place it (the hotkey maps the stored code back the same
/// way); otherwise (synthesised events) by the key the toolkit names on a US layout. Meta is
/// Super, Command's place.
std::optional<KeyStroke> keyStrokeOf(const ToolkitKeyEvent& event,
                                     PositionOfScanCode positionOf = nullptr);

} // namespace ondrel::platform
