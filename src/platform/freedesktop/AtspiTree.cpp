#include "platform/freedesktop/AtspiTree.h"

#include <algorithm>

namespace ondrel::platform::freedesktop {

AtspiTree::AtspiTree(AtspiBus& bus, TitleSource activeWindowTitle)
    : m_bus(bus), m_activeWindowTitle(std::move(activeWindowTitle))
{}

std::vector<AtspiObject> AtspiTree::applicationsOf(std::int64_t processId,
                                                   const AtspiDeadline& deadline)
{
    std::vector<AtspiObject> found;
    if (processId <= 0) {
        return found;
    }
    const auto applications = m_bus.applications(deadline);
    if (!applications) {
        return found;
    }
    for (const auto& application : *applications) {
        if (m_bus.processId(application.service, deadline) == processId) {
            found.push_back(application);
        }
    }
    if (found.empty()) {
        if (auto application = applicationInFront(*applications, deadline)) {
            found.push_back(*application);
        }
    }
    return found;
}

std::optional<AtspiObject>
AtspiTree::applicationInFront(const std::vector<AtspiObject>& applications,
                              const AtspiDeadline& deadline)
{
    const auto title = m_activeWindowTitle ? m_activeWindowTitle() : std::nullopt;
    if (!title || title->empty()) {
        return std::nullopt;
    }
    const auto wanted = QString::fromStdString(*title);
    std::optional<AtspiObject> found;
    for (const auto& application : applications) {
        const auto window = activeWindow(application, deadline);
        if (!window || m_bus.name(*window, deadline) != wanted) {
            continue;
        }
        // Two windows of one title (two browsers on the same page): either could be in front.
        if (found) {
            return std::nullopt;
        }
        found = application;
    }
    return found;
}

void AtspiTree::wake(const AtspiObject& application, const AtspiDeadline& deadline)
{
    (void)m_bus.attributes(application, deadline);
}

std::optional<AtspiObject> AtspiTree::activeWindow(const AtspiObject& application,
                                                   const AtspiDeadline& deadline)
{
    const auto windows = m_bus.children(application, deadline);
    if (!windows) {
        return std::nullopt;
    }
    std::vector<AtspiObject> onScreen;
    for (const auto& window : *windows) {
        const auto states = m_bus.states(window, deadline);
        if (!states) {
            continue;
        }
        if (hasState(*states, AtspiState::active)) {
            return window;
        }
        if (hasState(*states, AtspiState::showing)) {
            onScreen.push_back(window);
        }
    }

    // Helper windows (drag images, pop-up hosts) have no title; real windows do.
    std::vector<std::pair<AtspiObject, QString>> named;
    for (const auto& window : onScreen) {
        if (auto title = m_bus.name(window, deadline); title && !title->isEmpty()) {
            named.emplace_back(window, *title);
        }
    }
    if (named.empty()) {
        return std::nullopt;
    }
    if (const auto activeTitle = m_activeWindowTitle ? m_activeWindowTitle() : std::nullopt) {
        const auto wanted = QString::fromStdString(*activeTitle);
        const auto match = std::find_if(named.begin(), named.end(),
                                        [&](const auto& entry) { return entry.second == wanted; });
        if (match != named.end()) {
            return match->first;
        }
    }
    // With several windows and no way to tell which is in front, guessing could report
    // another window's page; no answer is safer.
    if (named.size() == 1) {
        return named.front().first;
    }
    return std::nullopt;
}

std::optional<std::string> AtspiTree::urlIn(const QMap<QString, QString>& attributes)
{
    for (const auto* key : {"DocURL", "URI"}) {
        const auto value = attributes.value(QLatin1String(key));
        if (!value.isEmpty()) {
            return value.toStdString();
        }
    }
    return std::nullopt;
}

std::optional<AtspiTree::Document> AtspiTree::withUrl(const AtspiObject& document,
                                                      const AtspiDeadline& deadline)
{
    const auto attributes = m_bus.documentAttributes(document, deadline);
    auto url = attributes ? urlIn(*attributes) : std::nullopt;
    if (!url) {
        return std::nullopt;
    }
    return Document{document, std::move(*url)};
}

std::optional<AtspiTree::Document> AtspiTree::showingDocument(const AtspiObject& window,
                                                              const AtspiDeadline& deadline)
{
    const AtspiMatchRule showingDocuments{{AtspiState::showing}, {AtspiRole::documentWeb}};
    const auto documents = m_bus.matches(window, showingDocuments, documentLimit, deadline);
    if (!documents) {
        // No Collection interface (or it failed): look for the document ourselves.
        return walkForDocument(window, deadline);
    }
    // Canonical order puts the page before the frames inside it.
    for (const auto& document : *documents) {
        if (auto found = withUrl(document, deadline)) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<AtspiTree::Document> AtspiTree::walkForDocument(const AtspiObject& window,
                                                              const AtspiDeadline& deadline)
{
    std::vector<AtspiObject> pending{window};
    int visited = 0;
    while (!pending.empty() && visited < walkLimit && !deadline.expired()) {
        const auto node = pending.back();
        pending.pop_back();
        ++visited;
        if (m_bus.role(node, deadline) == AtspiRole::documentWeb) {
            const auto states = m_bus.states(node, deadline);
            if (states && hasState(*states, AtspiState::showing)) {
                if (auto found = withUrl(node, deadline)) {
                    return found;
                }
            }
        }
        if (auto children = m_bus.children(node, deadline)) {
            // Reversed onto the stack, so the walk stays in pre-order.
            pending.insert(pending.end(), children->rbegin(), children->rend());
        }
    }
    return std::nullopt;
}

} // namespace ondrel::platform::freedesktop
