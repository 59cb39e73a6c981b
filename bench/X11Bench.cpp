// Figures of the X11 backend on a real X server: the frontmost-application look-up made on
// every shortcut press, and the clipboard snapshot and restore around every paste. Run it
// through bench/x11_figures.sh, which provides the display, an active xterm and the
// 5 MB image.
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

using ondrel::platform::x11::X11Connection;
using ondrel::platform::x11::X11Pasteboard;
using ondrel::platform::x11::X11Workspace;

std::shared_ptr<X11Connection> connection()
{
    static auto shared = X11Connection::open();
    return shared;
}

xcb_window_t clipboardOwner(X11Connection& x11)
{
    auto* c = x11.xcb();
    ondrel::platform::x11::XcbPointer<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, x11.atom("CLIPBOARD")),
                                      nullptr));
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

// Lets xclip own the clipboard with the file as image/png; xclip stays behind serving it.
bool xclipOwns(const char* file, xcb_window_t previousOwner)
{
    const char* arguments[] = {"xclip",     "-selection", "clipboard", "-t",
                               "image/png", "-i",         file,        nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xclip", nullptr, nullptr, const_cast<char**>(arguments), environ) != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0); // xclip forks its server and returns
    for (int i = 0; i < 500; ++i) {
        const auto owner = clipboardOwner(*connection());
        if (owner != XCB_WINDOW_NONE && owner != previousOwner)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void frontmostApplication(benchmark::State& state)
{
    X11Workspace workspace(connection());
    if (!workspace.frontmostApplication()) {
        state.SkipWithError("no active window");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(workspace.frontmostApplication());
}
BENCHMARK(frontmostApplication)->Unit(benchmark::kMillisecond)->Repetitions(20);

void snapshotAndRestoreImage(benchmark::State& state)
{
    const char* file = std::getenv("ONDREL_BENCH_IMAGE");
    if (!file) {
        state.SkipWithError("ONDREL_BENCH_IMAGE names no file");
        return;
    }
    X11Pasteboard pasteboard(connection());
    xcb_window_t ours = XCB_WINDOW_NONE;
    for (auto _ : state) {
        state.PauseTiming();
        if (!xclipOwns(file, ours)) {
            state.SkipWithError("xclip did not take the clipboard");
            break;
        }
        state.ResumeTiming();
        const auto snapshot = pasteboard.items();
        if (snapshot.empty() || !pasteboard.writeItem(snapshot.front())) {
            state.SkipWithError("snapshot or restore failed");
            break;
        }
        state.PauseTiming();
        ours = clipboardOwner(*connection());
        state.ResumeTiming();
    }
}
BENCHMARK(snapshotAndRestoreImage)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(20);

} // namespace

BENCHMARK_MAIN();
