// Renders scenes of the interface to PNG files: ondrel-screenshots OUTPUT_DIR [SCENE...]
// (every scene when none is named; --list prints them). Runs on the fake backend in a temporary
// home, so the user's rules and settings are never read or touched.
#include "Scene.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace ondrel::screenshots {

namespace {

std::vector<Scene>& scenes()
{
    static std::vector<Scene> all;
    return all;
}

bool render(const Scene& scene, const QDir& output)
{
    test::UiTestContext context;
    std::unique_ptr<QWidget> widget = scene.build(context);
    if (scene.size.isValid())
        widget->resize(scene.size);
    widget->show();
    // Layouts, queued shows and the first paint settle within a few event-loop turns.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    const QString path = output.filePath(QString::fromLatin1(scene.name) + ".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

bool registerScene(Scene scene)
{
    scenes().push_back(std::move(scene));
    return true;
}

} // namespace ondrel::screenshots

int main(int argc, char** argv)
{
    using namespace ondrel::screenshots;
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.isEmpty() || arguments.front() == QStringLiteral("--list")) {
        for (const Scene& scene : scenes())
            std::printf("%-24s %s\n", scene.name, scene.description);
        return arguments.isEmpty() ? 2 : 0;
    }
    const QDir output(arguments.front());
    if (!output.exists() && !QDir().mkpath(output.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(output.path()));
        return 1;
    }
    const QStringList wanted = arguments.mid(1);
    bool ok = true;
    int rendered = 0;
    for (const Scene& scene : scenes()) {
        if (!wanted.isEmpty() && !wanted.contains(QString::fromLatin1(scene.name)))
            continue;
        ok = render(scene, output) && ok;
        ++rendered;
    }
    if (rendered < std::max<qsizetype>(wanted.size(), 1)) {
        std::fprintf(stderr, "unknown scene among: %s\n", qPrintable(wanted.join(' ')));
        return 1;
    }
    return ok ? 0 : 1;
}
