#pragma once

#include "platform/freedesktop/AtspiBus.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform::freedesktop {

// The walks over applications' accessible trees that the URL look-up and the element reads
// share. Holds no state of its own; every answer is read afresh.
class AtspiTree
{
public:
    using TitleSource = std::function<std::optional<std::string>()>;

    /// activeWindowTitle tells which window the desktop considers active (may yield none).
    AtspiTree(AtspiBus& bus, TitleSource activeWindowTitle);

    /// The registered applications that belong to this process, in registry order; where none
    /// does, the one application whose active window bears the active window's title, if just
    /// one does (a sandboxed application reaches the bus through a proxy, under another pid).
    std::vector<AtspiObject> applicationsOf(std::int64_t processId, const AtspiDeadline& deadline);
    /// Chromium builds its tree only once somebody reads the application's attributes.
    void wake(const AtspiObject& application, const AtspiDeadline& deadline);
    /// The application's active top-level window. Toolkits that do not mark it (Chromium
    /// while no assistive technology listens to its events) are matched by the active
    /// window's title, or by being the only named window on screen.
    std::optional<AtspiObject> activeWindow(const AtspiObject& application,
                                            const AtspiDeadline& deadline);
    struct Document
    {
        AtspiObject object;
        std::string url;
    };
    /// The first showing web document in the window that tells its URL, with that URL.
    std::optional<Document> showingDocument(const AtspiObject& window,
                                            const AtspiDeadline& deadline);
    /// A document's URL among its attributes: "DocURL" (Firefox), else "URI" (Chromium
    /// family), exactly as reported.
    static std::optional<std::string> urlIn(const QMap<QString, QString>& attributes);

    /// Nodes looked at, at most, when a window cannot be searched with the Collection interface.
    static constexpr int walkLimit = 3000;
    /// Documents asked for their URL, at most, per window.
    static constexpr int documentLimit = 8;

private:
    std::optional<AtspiObject> applicationInFront(const std::vector<AtspiObject>& applications,
                                                  const AtspiDeadline& deadline);
    std::optional<Document> withUrl(const AtspiObject& document, const AtspiDeadline& deadline);
    std::optional<Document> walkForDocument(const AtspiObject& window,
                                            const AtspiDeadline& deadline);

    AtspiBus& m_bus;
    TitleSource m_activeWindowTitle;
};

} // namespace ondrel::platform::freedesktop
