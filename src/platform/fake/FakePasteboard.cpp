#include "FakePasteboard.h"

#include "platform/Executor.h"

namespace ondrel::platform::fake {

std::vector<PasteboardItem> FakePasteboard::items()
{
    const bool ours = ownsLastWrite();
    m_lastRead = ours ? PasteboardRead::complete : m_ownerAnswers;
    if (ours || m_ownerAnswers == PasteboardRead::complete)
        return m_items;
    std::vector<PasteboardItem> partial;
    if (m_ownerAnswers == PasteboardRead::interrupted) {
        for (const auto& item : m_items) {
            if (!item.empty())
                partial.push_back({item.front()});
        }
    }
    return partial;
}

void FakePasteboard::clearContents()
{
    m_items.clear();
    m_requested = false;
    m_ownChange = ++m_changeCount;
    m_history.push_back(Change{Change::Kind::clear, {}, stamp()});
}

bool FakePasteboard::writeItem(const PasteboardItem& item)
{
    if (m_writeFails) {
        return false;
    }
    // Like the CLIPBOARD selection: a write replaces whatever was there.
    m_items = {item};
    m_requested = false;
    m_ownChange = ++m_changeCount;
    m_history.push_back(Change{Change::Kind::write, item, stamp()});
    return true;
}

void FakePasteboard::setContentRequestedHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}

void FakePasteboard::setItems(std::vector<PasteboardItem> items)
{
    m_items = std::move(items);
    m_requested = false;
    ++m_changeCount;
}

void FakePasteboard::simulateRequest()
{
    m_requested = true;
    if (m_handler) {
        auto handler = m_handler;
        handler();
    }
}

PasteboardEntry FakePasteboard::textEntry(std::string type, std::string_view text)
{
    PasteboardEntry entry{std::move(type), {}};
    entry.data.reserve(text.size());
    for (char c : text) {
        entry.data.push_back(static_cast<std::byte>(c));
    }
    return entry;
}

std::string FakePasteboard::text(const PasteboardEntry& entry)
{
    std::string result;
    result.reserve(entry.data.size());
    for (std::byte b : entry.data) {
        result.push_back(static_cast<char>(b));
    }
    return result;
}

std::chrono::steady_clock::time_point FakePasteboard::stamp() const
{
    return m_clock ? m_clock->now() : std::chrono::steady_clock::time_point{};
}

} // namespace ondrel::platform::fake
