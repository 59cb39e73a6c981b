#pragma once

#include "platform/Pasteboard.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;
struct zwlr_data_control_source_v1;

namespace ondrel::platform::wayland {

class WaylandConnection;

// The clipboard of the first seat through wlroots' data-control protocol, which works without
// keyboard focus. Every read of another client's data has a deadline, because it runs on the
// main thread. Main thread only.
class WaylandPasteboard final : public Pasteboard
{
public:
    struct Options
    {
        /// The longest one type may take to arrive.
        std::chrono::milliseconds perType{1000};
        /// The longest a whole snapshot may take.
        std::chrono::milliseconds perSnapshot{3000};
    };

    explicit WaylandPasteboard(std::shared_ptr<WaylandConnection> connection);
    WaylandPasteboard(std::shared_ptr<WaylandConnection> connection, Options options);
    ~WaylandPasteboard() override;

    std::vector<PasteboardItem> items() override;
    PasteboardRead lastRead() const override;
    void clearContents() override;
    bool writeItem(const PasteboardItem& item) override;
    bool ownsLastWrite() override;
    bool contentWasRequested() const override;
    void setContentRequestedHandler(std::function<void()> handler) override;

private:
    struct Listeners;
    struct Served;

    void dropOwnSource();
    void serve(const std::string& type, int fd);

    std::shared_ptr<WaylandConnection> m_connection;
    Options m_options;
    zwlr_data_control_device_v1* m_device = nullptr;
    // Offers announced by the compositor, with their types, until replaced.
    std::map<zwlr_data_control_offer_v1*, std::vector<std::string>> m_offers;
    zwlr_data_control_offer_v1* m_selection = nullptr;
    zwlr_data_control_source_v1* m_source = nullptr;
    std::vector<Served> m_served;
    PasteboardItem m_ownItem;
    std::uint64_t m_keystrokesAtWrite = 0;
    bool m_requested = false;
    bool m_ownsLastWrite = false;
    PasteboardRead m_lastRead = PasteboardRead::complete;
    std::function<void()> m_requestedHandler;
    QObject m_context; // queued calls of the handler die with the pasteboard
};

} // namespace ondrel::platform::wayland
