#pragma once

#include "UiTestContext.h"

#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

namespace ondrel::screenshots {

// One picture: build() returns the widget to photograph (its owner), set up over the fake
// backend in a temporary home; size is the window's size (empty: the widget's own).
struct Scene
{
    const char* name;
    const char* description;
    QSize size;
    std::function<std::unique_ptr<QWidget>(test::UiTestContext&)> build;
};

/// Adds a scene to the list the tool offers; used through ONDREL_SCENE.
bool registerScene(Scene scene);

} // namespace ondrel::screenshots

// Registers a scene at start-up from any source file of the tool.
#define ONDREL_SCENE_CONCAT2(a, b) a##b
#define ONDREL_SCENE_CONCAT(a, b) ONDREL_SCENE_CONCAT2(a, b)
#define ONDREL_SCENE(...)                                                                          \
    static const bool ONDREL_SCENE_CONCAT(sceneRegistered, __LINE__) =                             \
        ::ondrel::screenshots::registerScene(::ondrel::screenshots::Scene{__VA_ARGS__})
