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
/// With the value "secret", asks clipboard histories not to keep the item (KDE's convention,
/// which KeePassXC and several clipboard managers follow).
inline constexpr std::string_view passwordManagerHint = "x-kde-passwordManagerHint";
} // namespace PasteboardType

// How far the last read of the pasteboard got.
enum class PasteboardRead
{
    complete,    // everything the owner offers was read (or there was nothing to read)
    ownerSilent, // the owner never answered: nothing of its content could be read
    interrupted, // the owner stopped answering partway: what was read is incomplete
};

// The general pasteboard (the CLIPBOARD selection on X11).
class Pasteboard : public Service
{
public:
    /// Every item with every real type and its bytes; pseudo-types are left out.
    virtual std::vector<PasteboardItem> items() = 0;
    /// How far the last items() call got.
    virtual PasteboardRead lastRead() const = 0;
    /// Empties the pasteboard.
    virtual void clearContents() = 0;
    /// Puts one item with all its types on the pasteboard; false when that failed.
    virtual bool writeItem(const PasteboardItem& item) = 0;
    /// True while the content of our last clearContents() or writeItem() is still there, that
    /// is nobody has taken the pasteboard since.
    virtual bool ownsLastWrite() = 0;
    /// True once the application that has the keyboard focus (the one a paste keystroke goes
    /// to) has read the content of our last writeItem(); other readers, such as clipboard
    /// managers, do not count.
    virtual bool contentWasRequested() const = 0;
    /// Called on the main thread each time that application reads content we put there.
    virtual void setContentRequestedHandler(std::function<void()> handler) = 0;
};

} // namespace ondrel::platform
