#include "SwayTree.h"

#include <QJsonArray>
#include <QJsonObject>

namespace ondrel::platform::wayland {

namespace {

// Deeper than any real layout; a reply nested further is not followed.
constexpr int kMaximumDepth = 64;

std::string text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString().toStdString();
}

void collect(const QJsonObject& node, int depth, std::vector<SwayView>& views)
{
    if (depth > kMaximumDepth)
        return;
    if (node.contains(QStringLiteral("pid"))) {
        SwayView view;
        view.pid = node.value(QStringLiteral("pid")).toInteger();
        view.appId = text(node, "app_id");
        const auto properties = node.value(QStringLiteral("window_properties")).toObject();
        view.wmInstance = text(properties, "instance");
        view.wmClass = text(properties, "class");
        view.title = text(node, "name");
        view.focused = node.value(QStringLiteral("focused")).toBool();
        views.push_back(std::move(view));
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const auto& child : node.value(QLatin1String(children)).toArray())
            collect(child.toObject(), depth + 1, views);
    }
}

} // namespace

std::vector<SwayView> swayViews(const QJsonDocument& tree)
{
    std::vector<SwayView> views;
    collect(tree.object(), 0, views);
    return views;
}

} // namespace ondrel::platform::wayland
