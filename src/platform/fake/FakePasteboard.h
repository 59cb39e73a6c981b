#pragma once

#include "platform/Pasteboard.h"

#include <chrono>
#include <optional>

namespace ondrel::platform {
class Executor;
}

namespace ondrel::platform::fake {

// The general pasteboard in memory, with a history of every clear and write.
class FakePasteboard final : public Pasteboard
{
public:
    struct Change
    {
        enum class Kind
        {
            clear,
            write
        };
        Kind kind = Kind::clear;
        PasteboardItem item; // the item written (empty for a clear)
        std::chrono::steady_clock::time_point at;
    };

    /// clock, when given, stamps the history with its time.
    explicit FakePasteboard(const Executor* clock = nullptr) : m_clock(clock) {}

    std::vector<PasteboardItem> items() override;
    PasteboardRead lastRead() const override { return m_lastRead; }
    void clearContents() override;
    bool writeItem(const PasteboardItem& item) override;
    bool ownsLastWrite() override { return m_changeCount == m_ownChange; }
    bool contentWasRequested() const override { return m_requested; }
    void setContentRequestedHandler(std::function<void()> handler) override;

    /// Replaces the content as another program would (not recorded in the history); the
    /// pasteboard changes hands.
    void setItems(std::vector<PasteboardItem> items);
    /// How reads of the owner's content go from now on: a silent owner gives nothing, one that
    /// stops partway gives the first entry of each item.
    void setOwnerAnswers(PasteboardRead read) { m_ownerAnswers = read; }
    /// The current content.
    const std::vector<PasteboardItem>& currentItems() const { return m_items; }
    /// Another program reads our content: marks it requested and calls the handler.
    void simulateRequest();
    /// Makes writeItem() fail (and leave the pasteboard as it is).
    void setWriteFails(bool fails) { m_writeFails = fails; }
    /// Every clear and successful write, in order.
    const std::vector<Change>& history() const { return m_history; }
    void clearHistory() { m_history.clear(); }

    /// An entry of text stored as its UTF-8 bytes.
    static PasteboardEntry textEntry(std::string type, std::string_view text);
    /// The bytes of an entry read back as text.
    static std::string text(const PasteboardEntry& entry);

private:
    std::chrono::steady_clock::time_point stamp() const;

    const Executor* m_clock;
    std::vector<PasteboardItem> m_items;
    std::vector<Change> m_history;
    std::function<void()> m_handler;
    bool m_requested = false;
    bool m_writeFails = false;
    // Counts every change of hands, like a system pasteboard's change count.
    int m_changeCount = 0;
    int m_ownChange = -1;
    PasteboardRead m_ownerAnswers = PasteboardRead::complete;
    PasteboardRead m_lastRead = PasteboardRead::complete;
};

} // namespace ondrel::platform::fake
