// Warm look-ups of the current tab's URL over AT-SPI in running browsers, one look-up per
// repetition, so the median is the median of single look-ups. The process ids come from
// ONDREL_BENCH_FIREFOX_PID and ONDREL_BENCH_CHROMIUM_PID; bench/atspi_figures.sh starts
// the browsers on a private desktop and runs this with 20 repetitions.
#include "platform/freedesktop/AtspiBrowserUrl.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DisplayFacts.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

using ondrel::platform::freedesktop::AtspiBrowserUrl;

AtspiBrowserUrl& browserUrl()
{
    static const auto connection = ondrel::platform::x11::X11Connection::open();
    static AtspiBrowserUrl shared([] {
        AtspiBrowserUrl::Options options;
        if (connection) {
            options.display = ondrel::platform::x11::displayFactsOf(connection);
        }
        return options;
    }());
    return shared;
}

void lookUp(benchmark::State& state, std::int64_t pid, const std::string& appId)
{
    for (auto _ : state) {
        const auto url = browserUrl().currentURL(pid, appId);
        if (!url) {
            state.SkipWithError("the browser reported no URL");
            break;
        }
        benchmark::DoNotOptimize(url);
    }
}

void registerBrowser(const char* variable, const std::string& appId)
{
    const char* value = std::getenv(variable);
    if (!value || !*value) {
        std::cerr << variable << " is not set; " << appId << " is not measured\n";
        return;
    }
    const std::int64_t pid = std::strtoll(value, nullptr, 10);
    // The first look-up after start is the cold one (Chromium builds its tree on demand).
    const auto start = std::chrono::steady_clock::now();
    const auto url = browserUrl().currentURL(pid, appId);
    const auto cold =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    std::cerr << appId << ": first look-up " << cold.count() << " ms -> " << url.value_or("(none)")
              << '\n';
    benchmark::RegisterBenchmark(("warm_url/" + appId).c_str(), lookUp, pid, appId)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerBrowser("ONDREL_BENCH_FIREFOX_PID", "firefox-esr");
    registerBrowser("ONDREL_BENCH_CHROMIUM_PID", "chromium");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
