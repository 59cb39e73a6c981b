#include "PasteEngine.h"

#include "RtfReader.h"

#include "platform/TerminalApps.h"

#include <algorithm>
#include <utility>

namespace ondrel::paste {

using platform::PasteboardEntry;
using platform::PasteboardItem;

namespace {

PasteboardEntry textEntry(std::string_view type, std::string_view text)
{
    PasteboardEntry entry{std::string(type), {}};
    entry.data.resize(text.size());
    std::transform(text.begin(), text.end(), entry.data.begin(),
                   [](char c) { return static_cast<std::byte>(c); });
    return entry;
}

} // namespace

PasteEngine::PasteEngine(Services services)
    : m_executor(services.executor), m_accessibility(services.accessibility),
      m_pasteboard(services.pasteboard), m_keyboardEvents(services.keyboardEvents),
      m_userNotifications(services.userNotifications)
{
    m_pasteboard.setContentRequestedHandler([this, lifetime = m_lifetime.token()] {
        if (!lifetime.expired())
            contentRequested();
    });
}

PasteEngine::~PasteEngine()
{
    m_pasteboard.setContentRequestedHandler({});
    // A copy made since our write is newer than anything we hold: it stays.
    const bool owned = !m_runs.empty() && m_pasteboard.ownsLastWrite();
    // The earliest paste's snapshot holds what the user had; restore it last so that it stays.
    for (auto run = m_runs.rbegin(); run != m_runs.rend(); ++run) {
        m_executor.cancel((*run)->timer);
        if (owned)
            restorePasteboard((*run)->snapshot);
    }
}

void PasteEngine::paste(const std::string& content, rules::RuleContentType contentType,
                        const std::string& targetApp, std::function<void()> done)
{
    if (!m_accessibility.isProcessTrusted()) {
        postAccessibilityNotification();
        done();
        return;
    }

    auto run = std::make_shared<Run>();
    run->snapshot = snapshotPasteboard();
    // An owner that never answered has nothing we could keep, so the paste goes ahead; one that
    // stopped partway still holds the user's clipboard, which taking it now would lose.
    if (m_pasteboard.lastRead() == platform::PasteboardRead::interrupted) {
        postUnsafeNotification();
        done();
        return;
    }
    run->keystroke = keystrokeFor(targetApp);
    run->done = std::move(done);

    m_pasteboard.clearContents();
    if (!m_pasteboard.writeItem(contentItem(content, contentType))) {
        // The content is not there: a keystroke now would paste whatever the target finds
        // instead, so the paste ends here with the user's pasteboard put back.
        restorePasteboard(run->snapshot);
        run->done();
        return;
    }

    m_runs.push_back(run);
    run->timer = m_executor.runAfter(keystrokeDelay, [this, run] { postKeystroke(run); });
}

void PasteEngine::postKeystroke(const RunPtr& run)
{
    const bool posted = m_keyboardEvents.postPasteKeystroke(run->keystroke);
    run->keystrokeAt = m_executor.now();
    run->timer = m_executor.runAfter(restoreDelay, [this, run, posted] {
        if (posted)
            restoreOnceTaken(run);
        else
            finish(run); // no target will ask for the content
    });
}

void PasteEngine::restoreOnceTaken(const RunPtr& run)
{
    if (m_pasteboard.contentWasRequested()) {
        finish(run);
        return;
    }
    // Restoring now would hand the target the old content instead of the rule's: wait for its
    // request, but never past the limit, so the user's pasteboard always comes back.
    run->waitingForRequest = true;
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_executor.now() - run->keystrokeAt);
    const auto remaining = std::max(contentRequestLimit - waited, std::chrono::milliseconds(0));
    run->timer = m_executor.runAfter(remaining, [this, run] { finish(run); });
}

void PasteEngine::contentRequested()
{
    for (const RunPtr& run : m_runs) {
        if (!run->waitingForRequest)
            continue;
        run->waitingForRequest = false;
        m_executor.cancel(run->timer);
        // Let the request be answered before the content goes away.
        m_executor.post([this, run, lifetime = m_lifetime.token()] {
            if (!lifetime.expired())
                finish(run);
        });
    }
}

void PasteEngine::finish(const RunPtr& run)
{
    const auto found = std::find(m_runs.begin(), m_runs.end(), run);
    if (found == m_runs.end())
        return;
    m_runs.erase(found);
    // Whoever took the pasteboard since our write (the user copying, another program) made
    // the newer copy; putting the snapshot back would overwrite it.
    if (m_pasteboard.ownsLastWrite())
        restorePasteboard(run->snapshot);
    auto done = std::move(run->done);
    done();
}

PasteboardSnapshot PasteEngine::snapshotPasteboard()
{
    PasteboardSnapshot snapshot;
    for (PasteboardItem& item : m_pasteboard.items()) {
        for (PasteboardEntry& entry : item)
            snapshot.push_back(std::move(entry));
    }
    return snapshot;
}

void PasteEngine::restorePasteboard(const PasteboardSnapshot& snapshot)
{
    m_pasteboard.clearContents();
    if (snapshot.empty())
        return;
    PasteboardItem item;
    for (const PasteboardEntry& entry : snapshot) {
        const auto same = std::find_if(item.begin(), item.end(), [&](const PasteboardEntry& kept) {
            return kept.type == entry.type;
        });
        if (same != item.end())
            same->data = entry.data;
        else
            item.push_back(entry);
    }
    m_pasteboard.writeItem(item);
}

PasteboardItem PasteEngine::contentItem(const std::string& content,
                                        rules::RuleContentType contentType)
{
    PasteboardItem item;
    if (contentType == rules::RuleContentType::plainText) {
        item.push_back(textEntry(platform::PasteboardType::string, content));
    } else {
        item.push_back(textEntry(platform::PasteboardType::rtf, content));
        // Browsers and most toolkits on Linux take formatted text only as HTML.
        if (const std::optional<std::string> html = RtfReader::html(content))
            item.push_back(textEntry(platform::PasteboardType::html, *html));
        if (const std::optional<std::string> text = RtfReader::plainText(content))
            item.push_back(textEntry(platform::PasteboardType::string, *text));
    }
    // The content is only passing through the clipboard: histories need not keep every paste.
    item.push_back(textEntry(platform::PasteboardType::passwordManagerHint, "secret"));
    return item;
}

platform::PasteKeystroke PasteEngine::keystrokeFor(const std::string& applicationId)
{
    return platform::isLinuxTerminalApp(applicationId) ? platform::PasteKeystroke::terminal
                                                       : platform::PasteKeystroke::standard;
}

void PasteEngine::postAccessibilityNotification()
{
    m_userNotifications.deliver(notificationIdentifier, notificationTitle, notificationBody);
}

void PasteEngine::postUnsafeNotification()
{
    m_userNotifications.deliver(unsafeNotificationIdentifier, unsafeNotificationTitle,
                                unsafeNotificationBody);
}

} // namespace ondrel::paste
