#include "RawInputWatcher.h"

#include "X11Log.h"

#include <xcb/xinput.h>

namespace ondrel::platform::x11 {

namespace {

// Raw events reach a client whatever grab is active only from this version on.
constexpr std::uint16_t kMajor = 2;
constexpr std::uint16_t kMinor = 2;

constexpr std::uint32_t kKeyMask =
    XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;

} // namespace

RawInputWatcher::RawInputWatcher(std::shared_ptr<X11Connection> connection, Handlers handlers)
    : m_connection(std::move(connection)), m_handlers(std::move(handlers))
{
    auto* c = m_connection->xcb();
    const auto* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present)
        return;
    XcbPointer<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        c, xcb_input_xi_query_version(c, kMajor, kMinor), nullptr));
    if (!version || version->major_version < kMajor ||
        (version->major_version == kMajor && version->minor_version < kMinor)) {
        qCInfo(x11Log) << "The X server has no XInput 2.2; presses are not read ahead";
        return;
    }
    m_opcode = extension->major_opcode;
    m_listener = m_connection->addListener(
        [this](const xcb_generic_event_t& event) { return handleEvent(event); });
    select(kKeyMask);
}

RawInputWatcher::~RawInputWatcher()
{
    if (!isWatching())
        return;
    m_connection->removeListener(m_listener);
    select(0);
}

void RawInputWatcher::watchButtons(bool watch)
{
    if (isWatching() && watch != m_buttons) {
        m_buttons = watch;
        select(watch ? kKeyMask | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS : kKeyMask);
    }
}

void RawInputWatcher::select(std::uint32_t mask)
{
    // Master devices only: each slave's event reaches us once, through its master.
    struct
    {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
    xcb_input_xi_select_events(m_connection->xcb(), m_connection->root(), 1, &selection.head);
    m_connection->flush();
}

KeyBitmap RawInputWatcher::heldKeys() const
{
    return m_connection->heldKeys().value_or(KeyBitmap{});
}

bool RawInputWatcher::handleEvent(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7F) != XCB_GE_GENERIC)
        return false;
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != m_opcode)
        return false;
    switch (generic.event_type) {
    case XCB_INPUT_RAW_KEY_PRESS:
    case XCB_INPUT_RAW_KEY_RELEASE: {
        const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
        if (m_handlers.key && raw.detail < 256)
            m_handlers.key(static_cast<std::uint8_t>(raw.detail),
                           generic.event_type == XCB_INPUT_RAW_KEY_PRESS);
        return true;
    }
    case XCB_INPUT_RAW_BUTTON_PRESS:
        if (m_handlers.button)
            m_handlers.button();
        return true;
    default:
        return false;
    }
}

} // namespace ondrel::platform::x11
