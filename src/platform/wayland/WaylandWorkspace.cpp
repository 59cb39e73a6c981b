#include "WaylandWorkspace.h"

#include "SwayIpc.h"
#include "SwayTree.h"
#include "WaylandConnection.h"
#include "WaylandLog.h"

#include "platform/freedesktop/DesktopEntries.h"
#include "platform/freedesktop/WindowIdentity.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <QCoreApplication>
#include <QThread>

#include <wayland-client.h>

#include <algorithm>

namespace ondrel::platform::wayland {

// Forwards the protocol's events into the workspace's maps; runs on the main thread.
struct WaylandWorkspace::Listener
{
    static Cache& self(void* data) { return *static_cast<Cache*>(data); }

    static Toplevel& pending(void* data, zwlr_foreign_toplevel_handle_v1* handle)
    {
        auto& cache = self(data);
        auto found = cache.pending.find(handle);
        if (found != cache.pending.end())
            return found->second;
        const auto current = cache.current.find(handle);
        return cache.pending[handle] =
                   current != cache.current.end() ? current->second : Toplevel{};
    }

    static void title(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* text)
    {
        std::lock_guard lock(self(data).mutex);
        pending(data, handle).title = text ? text : "";
    }
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* text)
    {
        std::lock_guard lock(self(data).mutex);
        pending(data, handle).appId = text ? text : "";
    }
    static void outputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void outputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void state(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states)
    {
        std::lock_guard lock(self(data).mutex);
        bool activated = false;
        const auto* values = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i)
            activated |= values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
        pending(data, handle).activated = activated;
    }
    static void done(void* data, zwlr_foreign_toplevel_handle_v1* handle)
    {
        auto& cache = self(data);
        std::lock_guard lock(cache.mutex);
        auto found = cache.pending.find(handle);
        if (found == cache.pending.end())
            return;
        cache.current[handle] = std::move(found->second);
        cache.pending.erase(found);
    }
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1* handle)
    {
        auto& cache = self(data);
        {
            std::lock_guard lock(cache.mutex);
            cache.current.erase(handle);
            cache.pending.erase(handle);
        }
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
    static void parent(void* data, zwlr_foreign_toplevel_handle_v1* handle,
                       zwlr_foreign_toplevel_handle_v1* parentHandle)
    {
        std::lock_guard lock(self(data).mutex);
        pending(data, handle).hasParent = parentHandle != nullptr;
    }

    static constexpr zwlr_foreign_toplevel_handle_v1_listener handleListener{
        title, appId, outputEnter, outputLeave, state, done, closed, parent};

    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                         zwlr_foreign_toplevel_handle_v1* handle)
    {
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, data);
    }
    static void finished(void*, zwlr_foreign_toplevel_manager_v1*)
    {
        qCWarning(waylandLog) << "The compositor stopped announcing windows";
    }

    static constexpr zwlr_foreign_toplevel_manager_v1_listener managerListener{toplevel, finished};
};

WaylandWorkspace::WaylandWorkspace(std::shared_ptr<WaylandConnection> connection,
                                   std::shared_ptr<SwayIpc> sway,
                                   std::shared_ptr<freedesktop::DesktopEntries> entries)
    : DesktopWorkspace(std::move(entries)), m_connection(std::move(connection)),
      m_sway(std::move(sway)), m_cache(std::make_shared<Cache>())
{
    if (auto* manager = m_connection->toplevelManager()) {
        zwlr_foreign_toplevel_manager_v1_add_listener(manager, &Listener::managerListener,
                                                      m_cache.get());
        // One round for the announcements, one for each window's first state.
        m_connection->roundtrip();
        m_connection->roundtrip();
    }
}

WaylandWorkspace::~WaylandWorkspace()
{
    std::lock_guard lock(m_cache->mutex);
    for (auto& [handle, toplevel] : m_cache->current)
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    for (auto& [handle, toplevel] : m_cache->pending) {
        if (!m_cache->current.contains(handle))
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
    m_cache->current.clear();
    m_cache->pending.clear();
}

void WaylandWorkspace::refreshFromMainThread()
{
    // On the main thread the answer can be made current: a focus change may still wait unread
    // in the socket. Elsewhere the cache, as the event loop last left it, has to do.
    if (QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread())
        m_connection->roundtrip();
}

std::vector<WaylandWorkspace::Toplevel> WaylandWorkspace::toplevels()
{
    refreshFromMainThread();
    std::lock_guard lock(m_cache->mutex);
    std::vector<Toplevel> result;
    for (const auto& [handle, toplevel] : m_cache->current)
        result.push_back(toplevel);
    return result;
}

RunningApplication WaylandWorkspace::applicationOf(const Toplevel& toplevel,
                                                   const std::vector<SwayView>& views)
{
    // sway's tree knows the pid; the foreign-toplevel protocol does not. The focused view is
    // the active window; otherwise the first with the same app_id and title.
    const SwayView* view = nullptr;
    for (const auto& candidate : views) {
        const auto& id = candidate.appId.empty() ? candidate.wmClass : candidate.appId;
        if (id != toplevel.appId)
            continue;
        if ((toplevel.activated && candidate.focused) ||
            (!view && candidate.title == toplevel.title))
            view = &candidate;
    }
    freedesktop::WindowFacts facts;
    if (view && view->pid > 0)
        facts.processIdentifier = view->pid;
    if (view && view->appId.empty()) {
        facts.wmInstance = view->wmInstance;
        facts.wmClass = view->wmClass;
    } else {
        // app_id is a hint of the same kind as WM_CLASS: often a desktop-file ID, often the
        // program's name, sometimes in another case.
        // GTK and Qt name the X11 class after the program with a capital first letter, so
        // a window without a desktop entry gets the same "wmclass:" ID on both servers.
        facts.wmInstance = toplevel.appId;
        facts.wmClass = toplevel.appId;
        // A reverse-DNS app_id is an application ID already (GTK 4, Qt with a desktop name).
        if (toplevel.appId.find('.') != std::string::npos)
            facts.gtkApplicationId = toplevel.appId;
        if (!facts.wmClass.empty() && facts.wmClass.front() >= 'a' && facts.wmClass.front() <= 'z')
            facts.wmClass.front() = static_cast<char>(facts.wmClass.front() - 'a' + 'A');
    }
    return applicationFor(facts, !toplevel.hasParent, toplevel.appId);
}

std::optional<RunningApplication> WaylandWorkspace::frontmostApplication()
{
    const auto all = toplevels();
    const auto active =
        std::find_if(all.begin(), all.end(), [](const Toplevel& t) { return t.activated; });
    if (active == all.end())
        return std::nullopt;
    const auto tree = m_sway ? m_sway->request(SwayIpc::Message::getTree) : std::nullopt;
    return applicationOf(*active, tree ? swayViews(*tree) : std::vector<SwayView>{});
}

FrontmostWindow WaylandWorkspace::frontmostWindow()
{
    refreshFromMainThread();
    std::lock_guard lock(m_cache->mutex);
    for (const auto& [handle, toplevel] : m_cache->current) {
        if (toplevel.activated)
            return {reinterpret_cast<std::uintptr_t>(handle), toplevel.title};
    }
    return {};
}

std::function<std::optional<std::string>()> WaylandWorkspace::activeWindowTitleReader() const
{
    return [weak = std::weak_ptr<Cache>(m_cache)]() -> std::optional<std::string> {
        const auto cache = weak.lock();
        if (!cache)
            return std::nullopt;
        std::lock_guard lock(cache->mutex);
        for (const auto& [handle, toplevel] : cache->current) {
            if (toplevel.activated)
                return toplevel.title;
        }
        return std::nullopt;
    };
}

std::vector<RunningApplication> WaylandWorkspace::windowApplications(bool mainWindowsOnly)
{
    const auto tree = m_sway ? m_sway->request(SwayIpc::Message::getTree) : std::nullopt;
    const auto views = tree ? swayViews(*tree) : std::vector<SwayView>{};
    std::vector<RunningApplication> applications;
    for (const auto& toplevel : toplevels()) {
        if (mainWindowsOnly && toplevel.hasParent)
            continue;
        applications.push_back(applicationOf(toplevel, views));
    }
    return applications;
}

} // namespace ondrel::platform::wayland
