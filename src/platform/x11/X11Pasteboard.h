#pragma once

#include "X11Connection.h"
#include "common/LifetimeGuard.h"
#include "platform/Pasteboard.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ondrel::platform::freedesktop {
struct ServedTarget;
}

namespace ondrel::platform::x11 {

// The CLIPBOARD selection. Reading asks the owner for every target and waits on the main
// thread, bounded by time limits (see setTimeouts); serving our own content runs from the
// event loop, including incremental (INCR) transfers of large data. Main thread only.
class X11Pasteboard final : public Pasteboard
{
public:
    explicit X11Pasteboard(std::shared_ptr<X11Connection> connection);
    ~X11Pasteboard() override;

    std::vector<PasteboardItem> items() override;
    PasteboardRead lastRead() const override { return m_lastRead; }
    void clearContents() override;
    bool writeItem(const PasteboardItem& item) override;
    bool ownsLastWrite() override;
    bool contentWasRequested() const override;
    void setContentRequestedHandler(std::function<void()> handler) override;

    /// How long one answer of another program may take (default 1 s; a program that keeps
    /// silent that long ends the read) and how long a whole read may take (default 3 s).
    void setTimeouts(std::chrono::milliseconds perAnswer, std::chrono::milliseconds total);
    /// Data larger than this is sent in pieces of this size (INCR). Default: 256 KiB, or less
    /// when the server takes smaller requests.
    void setIncrementalChunkSize(std::size_t bytes);

private:
    struct Transfer;
    struct Reader;
    friend struct Reader;

    XcbEvent awaitEvent(const std::function<bool(const xcb_generic_event_t&)>& isAwaited,
                        std::chrono::steady_clock::time_point deadline);
    bool handleEvent(const xcb_generic_event_t& event);
    void serveRequest(const xcb_selection_request_event_t& request);
    bool convertInto(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target);
    std::optional<std::vector<std::byte>> readTarget(xcb_atom_t target, Reader& reader);
    std::optional<std::vector<std::byte>> readIncrementally(Reader& reader);
    void continueTransfer(Transfer& transfer);
    bool claimOwnership(const PasteboardItem& item);
    std::optional<xcb_timestamp_t> serverTime();
    std::optional<xcb_window_t> currentOwner();
    void rememberSilentOwner(xcb_window_t owner, PasteboardRead outcome);
    bool isPasteTarget(xcb_window_t requestor);
    void noteContentRequested(xcb_window_t requestor);
    void handOverToClipboardManager();

    std::shared_ptr<X11Connection> m_connection;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_readProperty = XCB_ATOM_NONE;
    std::uint64_t m_listener = 0;

    bool m_owned = false;
    xcb_timestamp_t m_ownedSince = 0;
    PasteboardItem m_item;
    std::vector<freedesktop::ServedTarget> m_served;
    std::vector<std::unique_ptr<Transfer>> m_transfers;

    // The X client whose windows stand for the paste's target (the active window's client),
    // found at the first request after a write; 0 when none could be found.
    std::optional<std::uint32_t> m_targetClient;
    bool m_contentRequested = false;
    std::function<void()> m_contentRequestedHandler;
    common::LifetimeGuard m_alive;

    PasteboardRead m_lastRead = PasteboardRead::complete;
    // An owner that did not answer, not waited for again while it keeps the clipboard: the
    // selection's owner window and timestamp as XFixes reported them (0: not reported yet).
    struct SilentOwner
    {
        xcb_window_t window = XCB_WINDOW_NONE;
        xcb_timestamp_t since = 0;
        PasteboardRead outcome = PasteboardRead::ownerSilent;
    };
    std::optional<SilentOwner> m_silentOwner;
    // XFixes tells us each time the clipboard changes hands; without it nothing is remembered.
    std::uint8_t m_xfixesFirstEvent = 0;
    xcb_window_t m_reportedOwner = XCB_WINDOW_NONE;
    xcb_timestamp_t m_reportedOwnerSince = 0;

    std::chrono::milliseconds m_answerTimeout{1000};
    std::chrono::milliseconds m_totalTimeout{3000};
    std::size_t m_chunkSize = 256 * 1024;
};

} // namespace ondrel::platform::x11
