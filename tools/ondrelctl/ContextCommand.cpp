#include "ContextCommand.h"

#include "Options.h"

#include "paste/ContextDetector.h"
#include "platform/factory/PlatformFactory.h"

#include <QCoreApplication>

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <ostream>

namespace ondrel::ctl {

namespace {

// EX_UNAVAILABLE of sysexits.h: the desktop could not be reached.
constexpr int exitUnavailable = 69;
// Long enough to switch windows by hand; a typo of minutes is refused rather than waited out.
constexpr double maximumWaitSeconds = 3600;

std::optional<std::chrono::milliseconds> parseSeconds(const std::string& text)
{
    double seconds = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, seconds);
    if (text.empty() || error != std::errc{} || rest != end || !std::isfinite(seconds) ||
        seconds < 0 || seconds > maximumWaitSeconds) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

int runContext(Arguments args, Io io)
{
    static constexpr std::array<OptionSpec, 1> specs = {OptionSpec{"after", true}};
    auto parsed = parseCommandLine(contextCommand(), args, specs, 0, io);
    if (auto* status = std::get_if<int>(&parsed))
        return *status;
    const auto& options = std::get<ParsedOptions>(parsed);

    std::chrono::milliseconds wait{0};
    if (const auto after = options.value("after")) {
        const auto parsedWait = parseSeconds(*after);
        if (!parsedWait)
            return usageError(io, contextCommand().name,
                              "'--after' takes a number of seconds from 0 to 3600, e.g. 2 or 0.5");
        wait = *parsedWait;
    }

    // The platform's executor and D-Bus need a Qt event loop; no window is ever shown.
    static char programName[] = "ondrelctl";
    int argc = 1;
    char* argv[] = {programName, nullptr};
    QCoreApplication application(argc, argv);

    std::unique_ptr<platform::Platform> platform;
    try {
        platform = platform::createPlatform();
    } catch (const platform::PlatformUnavailable& error) {
        io.err << "ondrelctl: " << error.what() << '\n';
        return exitUnavailable;
    }
    // What the detector would see here is not what a paste would use: say so instead.
    if (!platform->session.smartPasteAvailable()) {
        io.err << "ondrelctl: " << platform->session.unavailableReason << '\n';
        return exitUnavailable;
    }

    // The same detector, limits and threads as a shortcut press.
    paste::ContextDetector detector({*platform->executor, *platform->workspace,
                                     *platform->accessibility, *platform->browserUrl, nullptr});
    std::optional<paste::DetectedContext> context;
    platform->executor->runAfter(wait, [&] {
        detector.detectContext([&](paste::DetectedContext detected) {
            context = std::move(detected);
            QCoreApplication::quit();
        });
    });
    QCoreApplication::exec();
    if (!context)
        return exitUnavailable;

    io.out << "app\t" << context->bundleID << '\n';
    if (context->url)
        io.out << "url\t" << *context->url << '\n';
    return exitOk;
}

} // namespace

const Command& contextCommand()
{
    static const Command command{
        "context", "context [--after SECONDS]",
        "Print the application and URL a smart paste would see",
        "Usage: ondrelctl context [--after SECONDS]\n"
        "\n"
        "Waits SECONDS (default 0; fractions allowed), then finds the frontmost application\n"
        "and, for a browser, its current tab's URL, exactly as a press of the paste shortcut\n"
        "would (the URL has 1.5 seconds to arrive). Prints\n"
        "\n"
        "  app<TAB>ID    the application ID (\"unknown\" when there is none)\n"
        "  url<TAB>URL   the URL, when one was read\n"
        "\n"
        "Use --after to switch to the window you want to look at.\n"
        "\n"
        "Exit status: 0 printed, 64 usage error, 69 the desktop could not be reached or smart\n"
        "paste is not available in this session (the reason is printed).\n",
        runContext};
    return command;
}

} // namespace ondrel::ctl
