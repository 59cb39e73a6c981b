#include "platform/linux/AtspiDisplay.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <string_view>

namespace ondrel::platform::x11 {

namespace {

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};

template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

XcbReply<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                            xcb_atom_t name, xcb_atom_t type,
                                            std::uint32_t maxLength)
{
    if (name == XCB_ATOM_NONE) {
        return nullptr;
    }
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, maxLength), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) {
        return nullptr;
    }
    return reply;
}

std::optional<std::string> textProperty(xcb_connection_t* connection, xcb_window_t window,
                                        xcb_atom_t name, xcb_atom_t type)
{
    const auto reply = property(connection, window, name, type, 4096);
    if (!reply || reply->format != 8) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const auto length = xcb_get_property_value_length(reply.get());
    if (length <= 0) {
        return std::nullopt;
    }
    return std::string(bytes, static_cast<std::size_t>(length));
}

std::string latin1ToUtf8(const std::string& latin1)
{
    std::string utf8;
    for (const unsigned char c : latin1) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

} // namespace

void AtspiDisplay::ConnectionDeleter::operator()(xcb_connection_t* connection) const
{
    xcb_disconnect(connection);
}

AtspiDisplay::AtspiDisplay() = default;
AtspiDisplay::~AtspiDisplay() = default;

xcb_connection_t* AtspiDisplay::connection()
{
    if (m_connection && xcb_connection_has_error(m_connection.get()) == 0) {
        return m_connection.get();
    }
    // xcb_connect always returns an object; a failed one only reports its error.
    m_connection.reset(xcb_connect(nullptr, &m_screen));
    if (xcb_connection_has_error(m_connection.get()) != 0) {
        m_connection.reset();
        return nullptr;
    }
    return m_connection.get();
}

bool AtspiDisplay::hasXTest()
{
    std::lock_guard lock(m_mutex);
    auto* x = connection();
    if (!x) {
        return false;
    }
    const auto* extension = xcb_get_extension_data(x, &xcb_test_id);
    return extension && extension->present;
}

std::optional<std::string> AtspiDisplay::activeWindowTitle()
{
    std::lock_guard lock(m_mutex);
    auto* x = connection();
    if (!x) {
        return std::nullopt;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int i = 0; i < m_screen && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        return std::nullopt;
    }
    const auto active =
        property(x, screens.data->root, internAtom(x, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 1);
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) < 4) {
        return std::nullopt;
    }
    const auto window = *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
    if (window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    if (auto title =
            textProperty(x, window, internAtom(x, "_NET_WM_NAME"), internAtom(x, "UTF8_STRING"))) {
        return title;
    }
    if (auto title = textProperty(x, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING)) {
        return latin1ToUtf8(*title);
    }
    return std::nullopt;
}

} // namespace ondrel::platform::x11
