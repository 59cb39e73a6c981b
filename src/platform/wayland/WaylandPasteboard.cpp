#include "WaylandPasteboard.h"

#include "WaylandConnection.h"
#include "WaylandLog.h"

#include "platform/freedesktop/SelectionTargets.h"

#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <QMetaObject>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace ondrel::platform::wayland {

namespace {

using Clock = std::chrono::steady_clock;

// A reader that never reads gets this long before we give up writing to it.
constexpr auto kServeDeadline = std::chrono::seconds(5);

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

// Everything the writer sends until it closes its end; none when the deadline passes first.
std::optional<std::vector<std::byte>> readUntilClosed(int fd, Clock::time_point deadline)
{
    std::vector<std::byte> data;
    std::byte buffer[64 * 1024];
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, millisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        const auto got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return data;
        data.insert(data.end(), buffer, buffer + got);
    }
}

void writeAndClose(int fd, std::shared_ptr<const std::vector<std::byte>> data)
{
    const auto deadline = Clock::now() + kServeDeadline;
    std::size_t done = 0;
    while (done < data->size()) {
        pollfd waiting{fd, POLLOUT, 0};
        const int ready = ::poll(&waiting, 1, millisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const auto written = ::write(fd, data->data() + done, data->size() - done);
        if (written < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (written <= 0)
            break;
        done += static_cast<std::size_t>(written);
    }
    ::close(fd);
}

} // namespace

struct WaylandPasteboard::Served
{
    std::string type;
    std::shared_ptr<const std::vector<std::byte>> data;
};

// The protocol's callbacks, forwarding to the pasteboard; they run on the main thread.
struct WaylandPasteboard::Listeners
{
    static WaylandPasteboard* self(void* data) { return static_cast<WaylandPasteboard*>(data); }

    static void offerType(void* data, zwlr_data_control_offer_v1* offer, const char* type)
    {
        auto found = self(data)->m_offers.find(offer);
        if (found == self(data)->m_offers.end() || !type)
            return;
        // Some owners announce a type twice; a snapshot keeps it once.
        if (std::find(found->second.begin(), found->second.end(), type) == found->second.end())
            found->second.emplace_back(type);
    }
    static constexpr zwlr_data_control_offer_v1_listener offerListener{offerType};

    static void dataOffer(void* data, zwlr_data_control_device_v1*,
                          zwlr_data_control_offer_v1* offer)
    {
        self(data)->m_offers[offer];
        zwlr_data_control_offer_v1_add_listener(offer, &offerListener, data);
    }
    static void selection(void* data, zwlr_data_control_device_v1*,
                          zwlr_data_control_offer_v1* offer)
    {
        auto* pasteboard = self(data);
        // With our source alive the new selection is ours; after our clear, an empty one is.
        if (!pasteboard->m_source && offer)
            pasteboard->m_ownsLastWrite = false;
        if (pasteboard->m_selection && pasteboard->m_selection != offer) {
            pasteboard->m_offers.erase(pasteboard->m_selection);
            zwlr_data_control_offer_v1_destroy(pasteboard->m_selection);
        }
        pasteboard->m_selection = offer;
    }
    static void finished(void* data, zwlr_data_control_device_v1* device)
    {
        qCWarning(waylandLog) << "The compositor withdrew clipboard access";
        self(data)->m_device = nullptr;
        zwlr_data_control_device_v1_destroy(device);
    }
    static void primarySelection(void* data, zwlr_data_control_device_v1*,
                                 zwlr_data_control_offer_v1* offer)
    {
        // Bound at version 1 this never comes; an offer that does is not ours to keep.
        if (offer && offer != self(data)->m_selection) {
            self(data)->m_offers.erase(offer);
            zwlr_data_control_offer_v1_destroy(offer);
        }
    }
    static constexpr zwlr_data_control_device_v1_listener deviceListener{
        dataOffer, selection, finished, primarySelection};

    static void send(void* data, zwlr_data_control_source_v1* source, const char* type, int fd)
    {
        auto* pasteboard = self(data);
        if (source != pasteboard->m_source || !type) {
            ::close(fd);
            return;
        }
        pasteboard->serve(type, fd);
    }
    static void cancelled(void* data, zwlr_data_control_source_v1* source)
    {
        auto* pasteboard = self(data);
        if (source == pasteboard->m_source) {
            pasteboard->dropOwnSource();
            pasteboard->m_ownsLastWrite = false;
        } else
            zwlr_data_control_source_v1_destroy(source);
    }
    static constexpr zwlr_data_control_source_v1_listener sourceListener{send, cancelled};
};

WaylandPasteboard::WaylandPasteboard(std::shared_ptr<WaylandConnection> connection)
    : WaylandPasteboard(std::move(connection), Options{})
{}

WaylandPasteboard::WaylandPasteboard(std::shared_ptr<WaylandConnection> connection, Options options)
    : m_connection(std::move(connection)), m_options(options)
{
    if (!m_connection->dataControlManager() || !m_connection->seat()) {
        qCWarning(waylandLog) << "The compositor offers no clipboard access (data control)";
        return;
    }
    m_device = zwlr_data_control_manager_v1_get_data_device(m_connection->dataControlManager(),
                                                            m_connection->seat());
    zwlr_data_control_device_v1_add_listener(m_device, &Listeners::deviceListener, this);
    m_connection->roundtrip();
}

WaylandPasteboard::~WaylandPasteboard()
{
    if (m_source)
        zwlr_data_control_source_v1_destroy(m_source);
    for (auto& [offer, types] : m_offers)
        zwlr_data_control_offer_v1_destroy(offer);
    if (m_device)
        zwlr_data_control_device_v1_destroy(m_device);
    m_connection->flush();
}

std::vector<PasteboardItem> WaylandPasteboard::items()
{
    m_connection->roundtrip();
    m_lastRead = PasteboardRead::complete;
    if (m_source)
        return m_ownItem.empty() ? std::vector<PasteboardItem>{}
                                 : std::vector<PasteboardItem>{m_ownItem};
    if (!m_selection || !m_offers.contains(m_selection))
        return {};
    const auto snapshotDeadline = Clock::now() + m_options.perSnapshot;
    PasteboardItem item;
    bool missed = false;
    for (const auto& type : m_offers[m_selection]) {
        // A pseudo-type is never answered by some owners (SAVE_TARGETS), and the owner may
        // stall on every later request after one.
        if (freedesktop::isPseudoTarget(type))
            continue;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            break;
        zwlr_data_control_offer_v1_receive(m_selection, type.c_str(), fds[1]);
        ::close(fds[1]);
        m_connection->flush();
        const auto deadline = std::min(snapshotDeadline, Clock::now() + m_options.perType);
        auto data = readUntilClosed(fds[0], deadline);
        ::close(fds[0]);
        if (!data) {
            missed = true;
            qCWarning(waylandLog) << "The clipboard owner did not send" << type.c_str()
                                  << "in time; the snapshot goes without it";
            if (Clock::now() >= snapshotDeadline)
                break;
            continue;
        }
        item.push_back({type, std::move(*data)});
    }
    if (missed)
        m_lastRead = item.empty() ? PasteboardRead::ownerSilent : PasteboardRead::interrupted;
    if (item.empty())
        return {};
    return {item};
}

PasteboardRead WaylandPasteboard::lastRead() const
{
    return m_lastRead;
}

bool WaylandPasteboard::ownsLastWrite()
{
    m_connection->roundtrip();
    return m_ownsLastWrite;
}

void WaylandPasteboard::dropOwnSource()
{
    if (m_source)
        zwlr_data_control_source_v1_destroy(m_source);
    m_source = nullptr;
    m_served.clear();
    m_ownItem.clear();
}

void WaylandPasteboard::clearContents()
{
    dropOwnSource();
    if (m_device)
        zwlr_data_control_device_v1_set_selection(m_device, nullptr);
    m_ownsLastWrite = m_device != nullptr;
    m_connection->flush();
}

bool WaylandPasteboard::writeItem(const PasteboardItem& item)
{
    if (!m_device)
        return false;
    dropOwnSource();
    m_source = zwlr_data_control_manager_v1_create_data_source(m_connection->dataControlManager());
    zwlr_data_control_source_v1_add_listener(m_source, &Listeners::sourceListener, this);
    for (auto& target : freedesktop::servedTargets(item)) {
        zwlr_data_control_source_v1_offer(m_source, target.target.c_str());
        m_served.push_back({std::move(target.target), std::move(target.data)});
    }
    zwlr_data_control_device_v1_set_selection(m_device, m_source);
    m_connection->flush();
    m_ownItem = item;
    m_ownsLastWrite = true;
    m_keystrokesAtWrite = m_connection->keystrokesPosted();
    m_requested = false;
    return true;
}

void WaylandPasteboard::serve(const std::string& type, int fd)
{
    const auto served = std::find_if(m_served.begin(), m_served.end(),
                                     [&](const Served& s) { return s.type == type; });
    if (served == m_served.end()) {
        ::close(fd);
        return;
    }
    // A large item must not hold up the event loop while the reader takes its time.
    std::thread(writeAndClose, fd, served->data).detach();
    // Clipboard watchers read every new selection at once; only a read after our keystroke
    // is the target taking the content.
    if (m_connection->keystrokesPosted() > m_keystrokesAtWrite) {
        m_requested = true;
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                if (m_requestedHandler)
                    m_requestedHandler();
            },
            Qt::QueuedConnection);
    }
}

bool WaylandPasteboard::contentWasRequested() const
{
    return m_requested;
}

void WaylandPasteboard::setContentRequestedHandler(std::function<void()> handler)
{
    m_requestedHandler = std::move(handler);
}

} // namespace ondrel::platform::wayland
