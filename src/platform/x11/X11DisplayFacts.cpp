#include "X11DisplayFacts.h"

#include "X11Connection.h"

namespace ondrel::platform::x11 {

freedesktop::DisplayFacts displayFactsOf(const std::shared_ptr<X11Connection>& connection)
{
    const std::weak_ptr<X11Connection> weak = connection;
    freedesktop::DisplayFacts facts;
    facts.canPostKeystrokes = [weak] {
        const auto x = weak.lock();
        return x && x->hasXTest();
    };
    facts.activeWindowTitle = [weak]() -> std::optional<std::string> {
        const auto x = weak.lock();
        const auto window = x ? x->activeWindow() : std::nullopt;
        return window ? x->windowTitle(*window) : std::nullopt;
    };
    return facts;
}

} // namespace ondrel::platform::x11
