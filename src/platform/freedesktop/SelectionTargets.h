#pragma once

#include "platform/Pasteboard.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::platform::freedesktop {

/// Targets that describe a selection or act on it rather than hold its content; a snapshot
/// that kept them would offer them twice after a restore.
bool isPseudoTarget(std::string_view target);

// One target we answer for while we own the clipboard.
struct ServedTarget
{
    std::string target;
    std::string propertyType; // the type of the property we write the bytes into
    std::shared_ptr<const std::vector<std::byte>> data;
};

/// The targets that serve an item: each of its types (a later entry of the same type wins),
/// followed by the usual aliases of plain text and RTF where the item has no such type itself.
std::vector<ServedTarget> servedTargets(const PasteboardItem& item);

/// UTF-8 text as ISO 8859-1 (the encoding of the STRING target); none when the text is not
/// valid UTF-8 or holds a character outside Latin-1.
std::optional<std::vector<std::byte>> utf8ToLatin1(const std::vector<std::byte>& utf8);

} // namespace ondrel::platform::freedesktop
