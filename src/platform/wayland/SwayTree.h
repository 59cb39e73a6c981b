#pragma once

#include <QJsonDocument>

#include <cstdint>
#include <string>
#include <vector>

namespace ondrel::platform::wayland {

// A window as sway's tree describes it.
struct SwayView
{
    std::int64_t pid = 0;
    std::string appId;      // Wayland clients
    std::string wmInstance; // Xwayland clients: WM_CLASS
    std::string wmClass;
    std::string title;
    bool focused = false;
};

/// Every window in a GET_TREE reply, tiled and floating, in tree order.
std::vector<SwayView> swayViews(const QJsonDocument& tree);

} // namespace ondrel::platform::wayland
