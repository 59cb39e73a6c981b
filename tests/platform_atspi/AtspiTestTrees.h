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
    return node(AtspiRole::application, QStringLiteral("application"), {}, name);
}

inline FakeNode window(const QString& title, std::initializer_list<int> states)
{
    return node(AtspiRole::frame, QStringLiteral("frame"), states, title);
}

inline FakeNode document(const QString& docUrl, const QString& uri, bool showing = true)
{
    auto result =
        node(AtspiRole::documentWeb, QStringLiteral("document web"),
             showing ? std::initializer_list<int>{AtspiState::showing, AtspiState::visible}
                     : std::initializer_list<int>{});
    result.document =
        QMap<QString, QString>{{QStringLiteral("MimeType"), QStringLiteral("text/html")}};
    if (!docUrl.isNull()) {
        result.document->insert(QStringLiteral("DocURL"), docUrl);
    }
    if (!uri.isNull()) {
        result.document->insert(QStringLiteral("URI"), uri);
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
inline FakeTree firefox(const QString& pageUrl = QStringLiteral("https://example.org/page?q=1#top"))
{
    FakeTree tree;
    tree.add(QStringLiteral("root"), application(QStringLiteral("Firefox")));
    tree.add(QStringLiteral("old"),
             window(QStringLiteral("Old — Mozilla Firefox"), {AtspiState::showing}),
             QStringLiteral("root"));
    tree.add(QStringLiteral("oldPage"), document(QStringLiteral("https://old.example/"), {}),
             QStringLiteral("old"));
    tree.add(
        QStringLiteral("window"),
        window(QStringLiteral("Page — Mozilla Firefox"), {AtspiState::active, AtspiState::showing}),
        QStringLiteral("root"));
    tree.add(QStringLiteral("toolbar"), node(toolBarRole, QStringLiteral("tool bar")),
             QStringLiteral("window"));
    tree.add(QStringLiteral("addressBar"),
             textNode(11, QStringLiteral("combo box"), QStringLiteral("example.org/page"),
                      {AtspiState::showing, AtspiState::editable}),
             QStringLiteral("toolbar"));
    tree.add(QStringLiteral("panel"), node(panelRole, QStringLiteral("panel")),
             QStringLiteral("window"));
    tree.add(QStringLiteral("newTab"), document(QStringLiteral("about:newtab"), {}, false),
             QStringLiteral("panel"));
    tree.add(QStringLiteral("pane"), node(scrollPaneRole, QStringLiteral("scroll pane")),
             QStringLiteral("panel"));
    tree.add(QStringLiteral("page"), document(pageUrl, {}), QStringLiteral("pane"));
    tree.add(QStringLiteral("iframe"), document(QStringLiteral("https://ads.example/"), {}),
             QStringLiteral("page"));
    return tree;
}

// Chromium: no window marked active; helper windows without a title beside the real ones.
inline FakeTree chromium(const std::vector<std::pair<QString, QString>>& windows)
{
    FakeTree tree;
    tree.add(QStringLiteral("root"), application(QStringLiteral("Chromium")));
    int index = 0;
    for (const auto& [title, uri] : windows) {
        const auto id = QStringLiteral("window%1").arg(index);
        const auto helper = QStringLiteral("helper%1").arg(index++);
        tree.add(id, window(title, {AtspiState::showing, AtspiState::visible}),
                 QStringLiteral("root"));
        tree.add(id + QStringLiteral("Page"), document(QStringLiteral(""), uri), id);
        tree.add(helper, window({}, {AtspiState::showing, AtspiState::visible}),
                 QStringLiteral("root"));
        tree.add(helper + QStringLiteral("Page"), document({}, QStringLiteral("about:blank")),
                 helper);
    }
    return tree;
}

} // namespace ondrel::test::trees
