#include "X11Connection.h"

#include "X11Keymap.h"
#include "X11Log.h"
#include "X11Modifiers.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>

#include <xcb/xtest.h>

#include <algorithm>
#include <cstring>
#include <poll.h>

namespace ondrel::platform::x11 {

Q_LOGGING_CATEGORY(x11Log, "ondrel.platform.x11")

namespace {

// Properties are read in pieces of this many 32-bit units (4 MiB).
constexpr std::uint32_t kPropertyChunkUnits = 1024 * 1024;

} // namespace

std::shared_ptr<X11Connection> X11Connection::open(const std::string& displayName)
{
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto iterator = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && iterator.rem > 0; ++i)
        xcb_screen_next(&iterator);
    if (iterator.rem == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::shared_ptr<X11Connection>(new X11Connection(connection, iterator.data->root));
}

X11Connection::X11Connection(xcb_connection_t* connection, xcb_window_t root)
    : m_connection(connection), m_root(root), m_keymap(std::make_unique<X11Keymap>(connection))
{
    attachToEventLoop();
}

X11Connection::~X11Connection()
{
    // The notifier must go before the socket it watches.
    m_eventContext.reset();
    m_keymap.reset();
    xcb_disconnect(m_connection);
}

bool X11Connection::hasError() const
{
    return xcb_connection_has_error(m_connection) != 0;
}

bool X11Connection::flush()
{
    return xcb_flush(m_connection) > 0;
}

bool X11Connection::sync()
{
    XcbPointer<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return reply != nullptr;
}

xcb_atom_t X11Connection::atom(std::string_view name)
{
    std::string key(name);
    {
        std::lock_guard lock(m_atomMutex);
        if (const auto it = m_atoms.find(key); it != m_atoms.end())
            return it->second;
    }
    auto cookie =
        xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(key.size()), key.data());
    XcbPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    if (!reply)
        return XCB_ATOM_NONE;
    std::lock_guard lock(m_atomMutex);
    m_atoms.emplace(key, reply->atom);
    m_atomNames.emplace(reply->atom, key);
    return reply->atom;
}

std::string X11Connection::atomName(xcb_atom_t atom)
{
    if (atom == XCB_ATOM_NONE)
        return {};
    {
        std::lock_guard lock(m_atomMutex);
        if (const auto it = m_atomNames.find(atom); it != m_atomNames.end())
            return it->second;
    }
    XcbPointer<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
    if (!reply)
        return {};
    std::string name(xcb_get_atom_name_name(reply.get()),
                     static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
    std::lock_guard lock(m_atomMutex);
    m_atomNames.emplace(atom, name);
    m_atoms.emplace(name, atom);
    return name;
}

std::optional<X11Connection::Property> X11Connection::readProperty(xcb_window_t window,
                                                                   xcb_atom_t property, bool remove)
{
    Property value;
    std::uint32_t offset = 0;
    for (;;) {
        auto cookie = xcb_get_property(m_connection, remove ? 1 : 0, window, property,
                                       XCB_GET_PROPERTY_TYPE_ANY, offset, kPropertyChunkUnits);
        XcbPointer<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection, cookie, nullptr));
        if (!reply || reply->type == XCB_ATOM_NONE)
            return offset == 0 ? std::nullopt : std::optional(std::move(value));
        value.type = reply->type;
        value.format = reply->format;
        const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
        const auto* bytes = static_cast<const std::byte*>(xcb_get_property_value(reply.get()));
        value.data.insert(value.data.end(), bytes, bytes + length);
        if (reply->bytes_after == 0)
            return value;
        // Offsets count 32-bit units whatever the format.
        offset += static_cast<std::uint32_t>(length / 4);
        if (length == 0 || length % 4 != 0)
            return value; // the server answered less than asked without a unit boundary
    }
}

std::optional<std::uint32_t> X11Connection::readCardinal(xcb_window_t window, xcb_atom_t property)
{
    const auto values = readCardinals(window, property);
    if (values.empty())
        return std::nullopt;
    return values.front();
}

std::vector<std::uint32_t> X11Connection::readCardinals(xcb_window_t window, xcb_atom_t property)
{
    std::vector<std::uint32_t> values;
    const auto value = readProperty(window, property);
    if (!value || value->format != 32)
        return values;
    values.resize(value->data.size() / 4);
    std::memcpy(values.data(), value->data.data(), values.size() * 4);
    return values;
}

std::optional<xcb_window_t> X11Connection::activeWindow()
{
    const auto window = readCardinal(m_root, atom("_NET_ACTIVE_WINDOW"));
    if (!window || *window == XCB_WINDOW_NONE)
        return std::nullopt;
    return window;
}

std::optional<std::string> X11Connection::windowTitle(xcb_window_t window)
{
    const auto text = [](const Property& value) {
        return std::string(reinterpret_cast<const char*>(value.data.data()), value.data.size());
    };
    const auto utf8 = readProperty(window, atom("_NET_WM_NAME"));
    if (utf8 && utf8->type == atom("UTF8_STRING") && utf8->format == 8 && !utf8->data.empty())
        return text(*utf8);
    const auto latin1 = readProperty(window, XCB_ATOM_WM_NAME);
    if (!latin1 || latin1->type != XCB_ATOM_STRING || latin1->format != 8 || latin1->data.empty())
        return std::nullopt;
    std::string title;
    for (const auto byte : latin1->data) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            title += static_cast<char>(c);
        } else {
            title += static_cast<char>(0xC0 | (c >> 6));
            title += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return title;
}

bool X11Connection::hasXTest() const
{
    const auto* extension = xcb_get_extension_data(m_connection, &xcb_test_id);
    return extension && extension->present;
}

std::optional<std::array<std::uint8_t, 32>> X11Connection::heldKeys()
{
    XcbPointer<xcb_query_keymap_reply_t> reply(
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr));
    if (!reply)
        return std::nullopt;
    std::array<std::uint8_t, 32> keys{};
    std::memcpy(keys.data(), reply->keys, keys.size());
    return keys;
}

X11Connection::ListenerId X11Connection::addListener(Listener listener)
{
    attachToEventLoop();
    const auto id = m_nextListenerId++;
    m_listeners.emplace_back(id, std::make_shared<Listener>(std::move(listener)));
    return id;
}

void X11Connection::removeListener(ListenerId id)
{
    std::erase_if(m_listeners, [&](const auto& entry) { return entry.first == id; });
}

void X11Connection::dispatch(const xcb_generic_event_t& event)
{
    if (event.response_type == 0) {
        const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
        qCDebug(x11Log) << "X error" << error.error_code << "for request" << error.major_code << "/"
                        << error.minor_code;
        return;
    }
    if (m_keymap->isMappingChange(event))
        m_keymap->invalidate();
    // A listener may add or remove listeners (or run a nested loop); work on a copy, and skip
    // a listener removed meanwhile, whose owner may be gone.
    const auto listeners = m_listeners;
    for (const auto& [listenerId, listener] : listeners) {
        const auto id = listenerId; // clang before 16 cannot capture a structured binding
        const bool present = std::any_of(m_listeners.begin(), m_listeners.end(),
                                         [&](const auto& entry) { return entry.first == id; });
        if (present && (*listener)(event))
            break;
    }
}

void X11Connection::dispatchPending()
{
    dispatchEvents(true);
}

void X11Connection::dispatchEvents(bool readSocket)
{
    for (;;) {
        XcbEvent event;
        if (!m_deferred.empty()) {
            event = std::move(m_deferred.front());
            m_deferred.pop_front();
        } else {
            event.reset(readSocket ? xcb_poll_for_event(m_connection)
                                   : xcb_poll_for_queued_event(m_connection));
        }
        if (!event)
            break;
        dispatch(*event);
    }
    flush();
}

XcbEvent
X11Connection::waitForEvent(const std::function<Verdict(const xcb_generic_event_t&)>& judge,
                            std::chrono::steady_clock::time_point deadline)
{
    flush();
    for (;;) {
        while (XcbEvent event{xcb_poll_for_event(m_connection)}) {
            switch (judge(*event)) {
            case Verdict::take:
                return event;
            case Verdict::handled:
                break;
            case Verdict::defer:
                m_deferred.push_back(std::move(event));
                break;
            }
        }
        flush();
        if (hasError())
            return nullptr;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        // Short slices: another thread's reply may have pulled our events off the socket.
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(std::clamp<long long>(remaining, 1, 10)));
    }
    if (!m_deferred.empty())
        post([this] { dispatchPending(); });
    return nullptr;
}

void X11Connection::post(std::function<void()> task)
{
    if (auto* context = eventContext()) {
        QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
        return;
    }
    task();
}

QObject* X11Connection::eventContext()
{
    attachToEventLoop();
    return m_eventContext.get();
}

X11Keymap& X11Connection::keymap()
{
    return *m_keymap;
}

X11Connection::GrabResult X11Connection::grabKey(std::uint8_t keycode, std::uint16_t modifiers)
{
    const auto variants = lockVariants(modifiers, m_keymap->roles());
    std::vector<xcb_void_cookie_t> cookies;
    cookies.reserve(variants.size());
    for (const auto mask : variants) {
        cookies.push_back(xcb_grab_key_checked(m_connection, 1, m_root, mask, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    auto result = GrabResult::grabbed;
    std::vector<std::uint16_t> grabbed;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        XcbPointer<xcb_generic_error_t> error(xcb_request_check(m_connection, cookies[i]));
        if (!error) {
            grabbed.push_back(variants[i]);
            continue;
        }
        if (result == GrabResult::grabbed)
            result = error->error_code == XCB_ACCESS ? GrabResult::taken : GrabResult::failed;
    }
    if (hasError())
        result = GrabResult::failed;
    if (result != GrabResult::grabbed) {
        for (const auto mask : grabbed)
            xcb_ungrab_key(m_connection, keycode, m_root, mask);
        flush();
        return result;
    }
    m_grabs.push_back({keycode, modifiers, variants});
    return result;
}

void X11Connection::ungrabKey(std::uint8_t keycode, std::uint16_t modifiers)
{
    const auto it = std::find_if(m_grabs.begin(), m_grabs.end(), [&](const Grab& grab) {
        return grab.keycode == keycode && grab.modifiers == modifiers;
    });
    if (it == m_grabs.end())
        return;
    for (const auto mask : it->variants)
        xcb_ungrab_key(m_connection, keycode, m_root, mask);
    m_grabs.erase(it);
    flush();
}

bool X11Connection::holdsKey(std::uint8_t keycode, std::uint16_t modifiers) const
{
    return std::any_of(m_grabs.begin(), m_grabs.end(), [&](const Grab& grab) {
        return grab.keycode == keycode && grab.modifiers == modifiers;
    });
}

void X11Connection::attachToEventLoop()
{
    auto* application = QCoreApplication::instance();
    if (m_eventContext || !application || QThread::currentThread() != application->thread())
        return;
    m_eventContext = std::make_unique<QObject>();
    auto* notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection),
                                         QSocketNotifier::Read, m_eventContext.get());
    QObject::connect(notifier, &QSocketNotifier::activated, m_eventContext.get(),
                     [this] { dispatchPending(); });
    // A reply read on any thread may have queued events without the socket showing them.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(application->thread())) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_eventContext.get(),
                         [this] { dispatchEvents(false); });
    }
}

} // namespace ondrel::platform::x11
