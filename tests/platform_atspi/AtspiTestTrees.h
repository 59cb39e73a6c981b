#pragma once

#include "FakeAtspiDesktop.h"

#include "platform/freedesktop/AtspiBus.h"

#include <initializer_list>

// Builders for the trees the browsers expose, trimmed to what the look-ups walk through.
namespace ondrel::test::trees {

namespace AtspiRole = ondrel::platform::freedesktop::AtspiRole;
namespace AtspiState = ondrel::platform::freedesktop::AtspiState;

inline constexpr std::uint32_t panelRole = 39;
inline constexpr std::uint32_t pushButtonRole = 43;
inline constexpr std::uint32_t scrollPaneRole = 49;
inline constexpr std::uint32_t toolBarRole = 63;

inline std::uint64_t statesOf(std::initializer_list<int> states)
{
    std::uint64_t bits = 0;
    for (const auto state : states) {
        bits |= std::uint64_t{1} << state;
    }
    return bits;
}

inline FakeNode node(std::uint32_t role, const QString& roleName,
                     std::initializer_list<int> states = {AtspiState::showing},
                     const QString& name = {})
{
    return FakeNode{role, roleName, statesOf(states), name, {}, {}, {}};
}

inline FakeNode application(const QString& name)
{
    return node(AtspiRole::application, "application", {}, name);
}

inline FakeNode window(const QString& title, std::initializer_list<int> states)
{
    return node(AtspiRole::frame, "frame", states, title);
}

inline FakeNode document(const QString& docUrl, const QString& uri, bool showing = true)
{
    auto result =
        node(AtspiRole::documentWeb, "document web",
             showing ? std::initializer_list<int>{AtspiState::showing, AtspiState::visible}
                     : std::initializer_list<int>{});
    result.document = QMap<QString, QString>{{"MimeType", "text/html"}};
    if (!docUrl.isNull()) {
        result.document->insert("DocURL", docUrl);
    }
    if (!uri.isNull()) {
        result.document->insert("URI", uri);
    }
    return result;
}

inline FakeNode textNode(std::uint32_t role, const QString& roleName, const QString& text,
                         std::initializer_list<int> states = {AtspiState::showing})
{
    auto result = node(role, roleName, states);
    result.text = text;
    return result;
}

// Firefox: an older window behind the active one; in the active window the toolbar with the
// address bar, a preloaded hidden new-tab page, then the page with an iframe.
inline FakeTree firefox(const QString& pageUrl = "https://example.org/page?q=1#top")
{
    FakeTree tree;
    tree.add("root", application("Firefox"));
    tree.add("old", window("Old — Mozilla Firefox", {AtspiState::showing}), "root");
    tree.add("oldPage", document("https://old.example/", {}), "old");
    tree.add("window", window("Page — Mozilla Firefox", {AtspiState::active, AtspiState::showing}),
             "root");
    tree.add("toolbar", node(toolBarRole, "tool bar"), "window");
    tree.add(
        "addressBar",
        textNode(11, "combo box", "example.org/page", {AtspiState::showing, AtspiState::editable}),
        "toolbar");
    tree.add("panel", node(panelRole, "panel"), "window");
    tree.add("newTab", document("about:newtab", {}, false), "panel");
    tree.add("pane", node(scrollPaneRole, "scroll pane"), "panel");
    tree.add("page", document(pageUrl, {}), "pane");
    tree.add("iframe", document("https://ads.example/", {}), "page");
    return tree;
}

// Chromium: no window marked active; helper windows without a title beside the real ones.
inline FakeTree chromium(const std::vector<std::pair<QString, QString>>& windows)
{
    FakeTree tree;
    tree.add("root", application("Chromium"));
    int index = 0;
    for (const auto& [title, uri] : windows) {
        const auto id = QStringLiteral("window%1").arg(index);
        const auto helper = QStringLiteral("helper%1").arg(index++);
        tree.add(id, window(title, {AtspiState::showing, AtspiState::visible}), "root");
        tree.add(id + "Page", document(QStringLiteral(""), uri), id);
        tree.add(helper, window({}, {AtspiState::showing, AtspiState::visible}), "root");
        tree.add(helper + "Page", document({}, "about:blank"), helper);
    }
    return tree;
}

} // namespace ondrel::test::trees
