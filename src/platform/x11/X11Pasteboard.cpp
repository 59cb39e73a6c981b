#include "X11Pasteboard.h"

#include "X11Connection.h"
#include "X11Log.h"
#include "platform/freedesktop/SelectionTargets.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace ondrel::platform::x11 {

using Clock = std::chrono::steady_clock;

namespace {

// A transfer whose requestor stopped taking pieces for this long is given up.
constexpr auto kTransferIdleLimit = std::chrono::seconds(10);
// How long a clipboard manager may take to copy our content when we go away.
constexpr auto kHandOverLimit = std::chrono::milliseconds(1500);

int responseType(const xcb_generic_event_t& event)
{
    return event.response_type & 0x7F;
}

bool isSelectionNotify(const xcb_generic_event_t& event, xcb_window_t requestor,
                       xcb_atom_t selection)
{
    if (responseType(event) != XCB_SELECTION_NOTIFY)
        return false;
    const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
    return notify.requestor == requestor && notify.selection == selection;
}

bool isPropertyNotify(const xcb_generic_event_t& event, xcb_window_t window, xcb_atom_t atom)
{
    if (responseType(event) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    return property.window == window && property.atom == atom;
}

} // namespace

// An incremental transfer of one target to one requestor, a piece per deleted property.
struct X11Pasteboard::Transfer
{
    xcb_window_t requestor = XCB_WINDOW_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;
    xcb_atom_t type = XCB_ATOM_NONE;
    std::shared_ptr<const std::vector<std::byte>> data;
    std::size_t offset = 0;
    bool finished = false;
    Clock::time_point lastActivity;
};

// The limits of one read of the clipboard.
struct X11Pasteboard::Reader
{
    Clock::time_point end;
    bool aborted = false;
};

X11Pasteboard::X11Pasteboard(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection))
{
    auto* c = m_connection->xcb();
    m_clipboard = m_connection->atom("CLIPBOARD");
    m_readProperty = m_connection->atom("_ONDREL_SELECTION");
    m_window = xcb_generate_id(c);
    const std::uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_connection->root(), -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &eventMask);
    const std::string title = "Ondrel clipboard";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    // The server caps request sizes; a property piece must fit in one request.
    const std::size_t maxRequestBytes = std::size_t{xcb_get_maximum_request_length(c)} * 4;
    if (maxRequestBytes > 1024)
        m_chunkSize = std::min(m_chunkSize, maxRequestBytes - 1024);
    m_listener = m_connection->addListener(
        [this](const xcb_generic_event_t& event) { return handleEvent(event); });

    const auto* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        XcbPointer<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        if (version) {
            m_xfixesFirstEvent = xfixes->first_event;
            xcb_xfixes_select_selection_input(
                c, m_window, m_clipboard,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
    }
    m_connection->flush();
}

X11Pasteboard::~X11Pasteboard()
{
    // The hand-over below still answers requests; none of them is a paste any more.
    m_contentRequestedHandler = nullptr;
    handOverToClipboardManager();
    m_connection->removeListener(m_listener);
    xcb_destroy_window(m_connection->xcb(), m_window);
    m_connection->flush();
}

void X11Pasteboard::setTimeouts(std::chrono::milliseconds perAnswer,
                                std::chrono::milliseconds total)
{
    m_answerTimeout = perAnswer;
    m_totalTimeout = total;
}

void X11Pasteboard::setIncrementalChunkSize(std::size_t bytes)
{
    m_chunkSize = std::max<std::size_t>(bytes, 1);
}

bool X11Pasteboard::contentWasRequested() const
{
    return m_contentRequested;
}

void X11Pasteboard::setContentRequestedHandler(std::function<void()> handler)
{
    m_contentRequestedHandler = std::move(handler);
}

// --- reading ---------------------------------------------------------------------------

XcbEvent X11Pasteboard::awaitEvent(const std::function<bool(const xcb_generic_event_t&)>& isAwaited,
                                   std::chrono::steady_clock::time_point deadline)
{
    // While we wait, requests for what we own are still answered.
    return m_connection->waitForEvent(
        [&](const xcb_generic_event_t& e) {
            if (isAwaited(e))
                return X11Connection::Verdict::take;
            if (handleEvent(e))
                return X11Connection::Verdict::handled;
            return X11Connection::Verdict::defer;
        },
        deadline);
}

std::optional<xcb_window_t> X11Pasteboard::currentOwner()
{
    auto* c = m_connection->xcb();
    XcbPointer<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_clipboard), nullptr));
    if (!owner)
        return std::nullopt;
    return owner->owner;
}

std::vector<PasteboardItem> X11Pasteboard::items()
{
    m_lastRead = PasteboardRead::complete;
    // Selection events reach us through the event loop.
    m_connection->attachToEventLoop();
    const auto owner = currentOwner();
    if (!owner || *owner == XCB_WINDOW_NONE)
        return {};
    if (*owner == m_window) {
        if (!m_owned || m_item.empty())
            return {};
        return {m_item};
    }
    // It did not answer last time and has kept the clipboard since: waiting again would
    // only cost the user the same second on every paste.
    if (m_silentOwner && m_silentOwner->window == *owner) {
        m_lastRead = m_silentOwner->outcome;
        return {};
    }

    Reader reader{Clock::now() + m_totalTimeout};
    const auto targetsAtom = m_connection->atom("TARGETS");
    const auto targetList = readTarget(targetsAtom, reader);
    if (!targetList) {
        if (reader.aborted) {
            qCWarning(x11Log) << "The clipboard owner did not answer; its content is unreachable";
            rememberSilentOwner(*owner, PasteboardRead::ownerSilent);
        }
        return {};
    }
    std::vector<xcb_atom_t> targets(targetList->size() / 4);
    std::memcpy(targets.data(), targetList->data(), targets.size() * 4);

    PasteboardItem item;
    std::set<xcb_atom_t> seen;
    for (const auto target : targets) {
        if (reader.aborted)
            break;
        if (target == XCB_ATOM_NONE || !seen.insert(target).second)
            continue;
        auto name = m_connection->atomName(target);
        if (name.empty() || freedesktop::isPseudoTarget(name))
            continue;
        if (auto data = readTarget(target, reader))
            item.push_back({std::move(name), std::move(*data)});
    }
    if (reader.aborted) {
        qCWarning(x11Log) << "The clipboard owner stopped answering after" << item.size()
                          << "of its formats";
        rememberSilentOwner(*owner, PasteboardRead::interrupted);
    }
    if (item.empty())
        return {};
    return {std::move(item)};
}

void X11Pasteboard::rememberSilentOwner(xcb_window_t owner, PasteboardRead outcome)
{
    m_lastRead = outcome;
    // Without XFixes we would never learn that the owner took the clipboard again with new
    // content, so it is asked afresh each time.
    if (m_xfixesFirstEvent == 0)
        return;
    m_silentOwner =
        SilentOwner{owner, owner == m_reportedOwner ? m_reportedOwnerSince : 0, outcome};
}

std::optional<std::vector<std::byte>> X11Pasteboard::readTarget(xcb_atom_t target, Reader& reader)
{
    auto* c = m_connection->xcb();
    xcb_delete_property(c, m_window, m_readProperty);
    xcb_convert_selection(c, m_window, m_clipboard, target, m_readProperty, XCB_CURRENT_TIME);
    auto event = awaitEvent(
        [&](const xcb_generic_event_t& e) {
            return isSelectionNotify(e, m_window, m_clipboard) &&
                   reinterpret_cast<const xcb_selection_notify_event_t&>(e).target == target;
        },
        std::min(Clock::now() + m_answerTimeout, reader.end));
    if (!event) {
        reader.aborted = true;
        return std::nullopt;
    }
    const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(*event);
    if (notify.property == XCB_ATOM_NONE)
        return std::nullopt; // the owner refused this target
    auto value = m_connection->readProperty(m_window, m_readProperty, true);
    if (!value)
        return std::nullopt;
    if (value->type == m_connection->atom("INCR"))
        return readIncrementally(reader);
    return std::move(value->data);
}

std::optional<std::vector<std::byte>> X11Pasteboard::readIncrementally(Reader& reader)
{
    // Deleting the INCR property (done by the read above) asks for the first piece; each
    // piece arrives as a new value of the property, and an empty one ends the transfer.
    std::vector<std::byte> data;
    for (;;) {
        auto event = awaitEvent(
            [&](const xcb_generic_event_t& e) {
                return isPropertyNotify(e, m_window, m_readProperty) &&
                       reinterpret_cast<const xcb_property_notify_event_t&>(e).state ==
                           XCB_PROPERTY_NEW_VALUE;
            },
            std::min(Clock::now() + m_answerTimeout, reader.end));
        if (!event) {
            reader.aborted = true;
            return std::nullopt;
        }
        auto piece = m_connection->readProperty(m_window, m_readProperty, true);
        if (!piece)
            continue; // a stale notification for a value already read
        if (piece->data.empty())
            return data;
        data.insert(data.end(), piece->data.begin(), piece->data.end());
    }
}

// --- owning ----------------------------------------------------------------------------

std::optional<xcb_timestamp_t> X11Pasteboard::serverTime()
{
    // A zero-length append changes nothing but makes the server send us its current time.
    auto* c = m_connection->xcb();
    const auto atom = m_connection->atom("_ONDREL_TIMESTAMP");
    xcb_change_property(c, XCB_PROP_MODE_APPEND, m_window, atom, XCB_ATOM_INTEGER, 32, 0, nullptr);
    auto event = awaitEvent(
        [&](const xcb_generic_event_t& e) { return isPropertyNotify(e, m_window, atom); },
        Clock::now() + m_answerTimeout);
    if (!event)
        return std::nullopt;
    return reinterpret_cast<const xcb_property_notify_event_t&>(*event).time;
}

bool X11Pasteboard::claimOwnership(const PasteboardItem& item)
{
    // Serving what we own needs the event loop.
    m_connection->attachToEventLoop();
    auto* c = m_connection->xcb();
    const auto time = serverTime();
    if (!time) {
        qCWarning(x11Log) << "No answer from the X server; the clipboard was not written";
        return false;
    }
    xcb_set_selection_owner(c, m_window, m_clipboard, *time);
    XcbPointer<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_clipboard), nullptr));
    if (!owner || owner->owner != m_window) {
        qCWarning(x11Log) << "Another program kept the clipboard";
        return false;
    }
    m_owned = true;
    m_ownedSince = *time;
    m_item.clear();
    for (const auto& entry : item) {
        if (!freedesktop::isPseudoTarget(entry.type) && !entry.type.empty())
            m_item.push_back(entry);
    }
    m_served = freedesktop::servedTargets(m_item);
    m_targetClient.reset();
    m_contentRequested = false;
    return true;
}

bool X11Pasteboard::ownsLastWrite()
{
    // A SelectionClear may still wait in the queue; the server's answer is the truth.
    return m_owned && currentOwner() == m_window;
}

void X11Pasteboard::clearContents()
{
    // Owning the clipboard with nothing in it empties it for everyone; giving it up to None
    // would let a clipboard manager bring the old content back.
    claimOwnership({});
}

bool X11Pasteboard::writeItem(const PasteboardItem& item)
{
    return claimOwnership(item);
}

// --- serving ---------------------------------------------------------------------------

bool X11Pasteboard::handleEvent(const xcb_generic_event_t& event)
{
    switch (responseType(event)) {
    case XCB_SELECTION_REQUEST: {
        const auto& request = reinterpret_cast<const xcb_selection_request_event_t&>(event);
        if (request.owner != m_window)
            return false;
        serveRequest(request);
        return true;
    }
    case XCB_SELECTION_CLEAR: {
        const auto& clear = reinterpret_cast<const xcb_selection_clear_event_t&>(event);
        if (clear.owner != m_window || clear.selection != m_clipboard)
            return false;
        // Late news of a loss that came before our latest claim.
        if (clear.time != XCB_CURRENT_TIME && clear.time < m_ownedSince)
            return true;
        m_owned = false;
        m_item.clear();
        m_served.clear();
        return true;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (property.state != XCB_PROPERTY_DELETE)
            return false;
        const auto now = Clock::now();
        std::erase_if(m_transfers, [&](const auto& transfer) {
            return transfer->finished || now - transfer->lastActivity > kTransferIdleLimit;
        });
        for (auto& transfer : m_transfers) {
            if (transfer->requestor == property.window && transfer->property == property.atom) {
                continueTransfer(*transfer);
                return true;
            }
        }
        return false;
    }
    default:
        if (m_xfixesFirstEvent != 0 &&
            responseType(event) == m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto& notify =
                reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
            if (notify.selection != m_clipboard)
                return false;
            m_reportedOwner = notify.owner;
            m_reportedOwnerSince = notify.selection_timestamp;
            // The clipboard changed hands: whoever owns it now deserves to be asked.
            if (m_silentOwner && (m_silentOwner->window != notify.owner ||
                                  m_silentOwner->since != notify.selection_timestamp))
                m_silentOwner.reset();
            return true;
        }
        return false;
    }
}

void X11Pasteboard::serveRequest(const xcb_selection_request_event_t& request)
{
    auto* c = m_connection->xcb();
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = XCB_ATOM_NONE;

    // Old clients leave the property None and mean the target's name.
    const auto property = request.property == XCB_ATOM_NONE ? request.target : request.property;
    const bool ours = request.selection == m_clipboard && m_owned &&
                      (request.time == XCB_CURRENT_TIME || request.time >= m_ownedSince);
    if (ours && request.target == m_connection->atom("MULTIPLE")) {
        auto pairs = m_connection->readProperty(request.requestor, property);
        if (pairs && pairs->format == 32 && pairs->data.size() >= 8) {
            std::vector<xcb_atom_t> atoms(pairs->data.size() / 4);
            std::memcpy(atoms.data(), pairs->data.data(), atoms.size() * 4);
            for (std::size_t i = 0; i + 1 < atoms.size(); i += 2) {
                if (atoms[i + 1] == XCB_ATOM_NONE ||
                    !convertInto(request.requestor, atoms[i + 1], atoms[i]))
                    atoms[i + 1] = XCB_ATOM_NONE;
            }
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, pairs->type,
                                32, static_cast<std::uint32_t>(atoms.size()), atoms.data());
            notify.property = property;
        }
    } else if (ours && convertInto(request.requestor, property, request.target)) {
        notify.property = property;
    }
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    m_connection->flush();
}

bool X11Pasteboard::convertInto(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target)
{
    auto* c = m_connection->xcb();
    if (target == m_connection->atom("TARGETS")) {
        std::vector<xcb_atom_t> atoms{target, m_connection->atom("TIMESTAMP"),
                                      m_connection->atom("MULTIPLE")};
        for (const auto& served : m_served)
            atoms.push_back(m_connection->atom(served.target));
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(atoms.size()), atoms.data());
        return true;
    }
    if (target == m_connection->atom("TIMESTAMP")) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER, 32, 1,
                            &m_ownedSince);
        return true;
    }
    const auto name = m_connection->atomName(target);
    const auto served =
        std::find_if(m_served.begin(), m_served.end(),
                     [&](const freedesktop::ServedTarget& t) { return t.target == name; });
    if (name.empty() || served == m_served.end())
        return false;

    noteContentRequested(requestor);
    const auto type = m_connection->atom(served->propertyType);
    if (served->data->size() <= m_chunkSize) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                            static_cast<std::uint32_t>(served->data->size()), served->data->data());
        return true;
    }
    // Too large for one request: announce the size and send pieces as the requestor
    // deletes the property, which we learn from its property events.
    const std::uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, requestor, XCB_CW_EVENT_MASK, &eventMask);
    std::erase_if(m_transfers, [&](const auto& t) {
        return t->requestor == requestor && t->property == property;
    });
    auto transfer = std::make_unique<Transfer>();
    transfer->requestor = requestor;
    transfer->property = property;
    transfer->type = type;
    transfer->data = served->data;
    transfer->lastActivity = Clock::now();
    m_transfers.push_back(std::move(transfer));
    const auto size =
        static_cast<std::uint32_t>(std::min<std::size_t>(served->data->size(), UINT32_MAX));
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, m_connection->atom("INCR"),
                        32, 1, &size);
    return true;
}

void X11Pasteboard::continueTransfer(Transfer& transfer)
{
    auto* c = m_connection->xcb();
    const auto remaining = transfer.data->size() - transfer.offset;
    const auto length = std::min(remaining, m_chunkSize);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, transfer.requestor, transfer.property,
                        transfer.type, 8, static_cast<std::uint32_t>(length),
                        transfer.data->data() + transfer.offset);
    transfer.offset += length;
    transfer.lastActivity = Clock::now();
    // The empty piece that ends the transfer has just been written.
    if (length == 0) {
        transfer.finished = true;
        const bool moreForWindow =
            std::any_of(m_transfers.begin(), m_transfers.end(), [&](auto& t) {
                return !t->finished && t->requestor == transfer.requestor;
            });
        if (!moreForWindow) {
            const std::uint32_t noEvents = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(c, transfer.requestor, XCB_CW_EVENT_MASK, &noEvents);
        }
    }
    m_connection->flush();
}

bool X11Pasteboard::isPasteTarget(xcb_window_t requestor)
{
    // Windows of one X client share the bits above the server's resource-ID mask.
    const std::uint32_t mask = xcb_get_setup(m_connection->xcb())->resource_id_mask;
    if (!m_targetClient) {
        auto window =
            m_connection
                ->readCardinal(m_connection->root(), m_connection->atom("_NET_ACTIVE_WINDOW"))
                .value_or(XCB_WINDOW_NONE);
        if (window == XCB_WINDOW_NONE) {
            auto* c = m_connection->xcb();
            XcbPointer<xcb_get_input_focus_reply_t> focus(
                xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            // None and PointerRoot (1) name no window.
            if (focus && focus->focus > 1 && focus->focus != m_connection->root())
                window = focus->focus;
        }
        m_targetClient = window == XCB_WINDOW_NONE ? 0 : window & ~mask;
    }
    return *m_targetClient != 0 && (requestor & ~mask) == *m_targetClient;
}

void X11Pasteboard::noteContentRequested(xcb_window_t requestor)
{
    // Clipboard managers read every new owner at once; only the target's own read means the
    // paste went through.
    if (requestor == m_window || !isPasteTarget(requestor))
        return;
    m_contentRequested = true;
    if (!m_contentRequestedHandler)
        return;
    // Called from the event loop, never from inside a request we are serving.
    m_connection->post([this, alive = m_alive.token()] {
        if (!alive.expired() && m_contentRequestedHandler)
            m_contentRequestedHandler();
    });
}

void X11Pasteboard::handOverToClipboardManager()
{
    // Our content dies with this window; a clipboard manager that follows the freedesktop
    // convention copies it (SAVE_TARGETS) so it survives us.
    if (!m_owned || m_item.empty() || m_connection->hasError())
        return;
    auto* c = m_connection->xcb();
    const auto manager = m_connection->atom("CLIPBOARD_MANAGER");
    XcbPointer<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, manager), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return;
    const auto saveTargets = m_connection->atom("SAVE_TARGETS");
    xcb_convert_selection(c, m_window, manager, saveTargets, m_readProperty, XCB_CURRENT_TIME);
    awaitEvent(
        [&](const xcb_generic_event_t& e) { return isSelectionNotify(e, m_window, manager); },
        Clock::now() + kHandOverLimit);
}

} // namespace ondrel::platform::x11
