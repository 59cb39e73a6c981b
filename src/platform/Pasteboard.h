#pragma once

#include "Service.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::platform {

// One representation of a pasteboard item: a type (a MIME type on X11) and its bytes.
struct PasteboardEntry
{
    std::string type;
    std::vector<std::byte> data;

    bool operator==(const PasteboardEntry&) const = default;
};

// One item with every representation it offers.
using PasteboardItem = std::vector<PasteboardEntry>;

// The types the system itself writes; backends offer the usual aliases beside them.
namespace PasteboardType {
inline constexpr std::string_view string = "text/plain;charset=utf-8";
inline constexpr std::string_view rtf = "text/rtf";
inline constexpr std::string_view html = "text/html";
} // namespace PasteboardType

// The general pasteboard (the CLIPBOARD selection on X11).
class Pasteboard : public Service
{
public:
    /// Every item with every real type and its bytes; pseudo-types are left out.
    virtual std::vector<PasteboardItem> items() = 0;
    /// Empties the pasteboard.
    virtual void clearContents() = 0;
    /// Puts one item with all its types on the pasteboard; false when that failed.
    virtual bool writeItem(const PasteboardItem& item) = 0;
    /// True once another program has read the content of our last writeItem().
    virtual bool contentWasRequested() const = 0;
    /// Called on the main thread each time another program reads content we put there.
    virtual void setContentRequestedHandler(std::function<void()> handler) = 0;
};

} // namespace ondrel::platform
