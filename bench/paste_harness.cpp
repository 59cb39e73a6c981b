// The smart paste of tests/e2e/PasteHarness.h with every step of a press timed, for
// paste_figures.sh. Besides "ready" it prints one line per event, times in milliseconds:
//   armed                                   the shortcut's modifiers are held, its key to come
//   press <wall epoch ms>                   the hotkey press reached the handler
//   at <step> <ms after press>              a step of the press began or ended (below)
//   keystroke <ms after press>              the paste keystroke was posted
//   requested <ms after press>              the target read the content
//   call <service call> <ms>                how long one blocking call on the main thread took
//   read <ms>                               how long one URL read took (at a press or ahead)
//   stall <ms>                              the longest main-thread block from the press
//                                           until the rule is stamped
//   save <ms>                               the rules file's save after the stamp
//   matched <ms after press> <rule name>    the smart paste ended with this rule
// The steps, in the order a press passes them: window-start, window-end (the window in front
// still the one whose context was read ahead), frontmost-start, frontmost-end (the frontmost
// application's look-up, when nothing was read ahead), worker-start, url-start, url-end (the
// browser's URL on a worker), url-on-main (its result back on the main thread), trust-start,
// trust-end, snapshot-start, snapshot-end, written (the rule's content owns the clipboard),
// timer-armed, timer-fired (the fixed delay before the keystroke). A press whose URL was read
// ahead, once its modifiers were held, passes no URL steps.
#include "../tests/e2e/PasteHarness.h"

#include <QElapsedTimer>

#include <chrono>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;
using namespace ondrel;

// The paste engine's fixed wait between taking the clipboard and the keystroke.
constexpr std::chrono::milliseconds kKeystrokeDelay{50};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the harness measures, shared by the wrappers below; workers print too.
struct Measurements
{
    std::mutex mutex;
    Clock::time_point press;
    bool pressing = false;
    double longestStall = 0;

    void print(const std::string& line)
    {
        std::lock_guard lock(mutex);
        std::cout << line << std::endl;
    }
    void step(const char* name)
    {
        std::lock_guard lock(mutex);
        if (pressing)
            std::cout << "at " << name << ' ' << millisecondsSince(press) << std::endl;
    }
};

// Runs call and prints how long it kept the main thread.
template <typename Call>
auto timed(Measurements& measured, const char* name, Call&& call)
{
    const auto start = Clock::now();
    auto result = call();
    measured.print("call " + std::string(name) + ' ' + std::to_string(millisecondsSince(start)));
    return result;
}

// Runs call timed, between the steps NAME-start and NAME-end.
template <typename Call>
auto stepped(Measurements& measured, const std::string& name, Call&& call)
{
    measured.step((name + "-start").c_str());
    auto result = timed(measured, name.c_str(), std::forward<Call>(call));
    measured.step((name + "-end").c_str());
    return result;
}

// Forwards to the real executor and marks the hops of a press: work starting on a worker,
// its result arriving on the main thread, the keystroke's timer being armed and firing.
class TimedExecutor final : public platform::Executor
{
public:
    TimedExecutor(std::unique_ptr<platform::Executor> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    std::chrono::steady_clock::time_point now() const override { return m_inner->now(); }
    std::chrono::system_clock::time_point wallClock() const override
    {
        return m_inner->wallClock();
    }
    void post(Task task) override { m_inner->post(std::move(task)); }
    TimerId runAfter(std::chrono::milliseconds delay, Task task) override
    {
        if (delay != kKeystrokeDelay)
            return m_inner->runAfter(delay, std::move(task));
        m_measured.step("timer-armed");
        return m_inner->runAfter(delay, [this, task = std::move(task)] {
            m_measured.step("timer-fired");
            task();
        });
    }
    void cancel(TimerId id) override { m_inner->cancel(id); }
    void runOnWorker(Task work) override
    {
        m_inner->runOnWorker([this, work = std::move(work)] {
            m_measured.step("worker-start");
            work();
        });
    }
    void shutdown() override { m_inner->shutdown(); }
    std::function<void(Task)> mainThreadPoster() override
    {
        return [this, poster = m_inner->mainThreadPoster()](Task task) {
            poster([this, task = std::move(task)] {
                m_measured.step("url-on-main");
                task();
            });
        };
    }

private:
    std::unique_ptr<platform::Executor> m_inner;
    Measurements& m_measured;
};

// Forwards to the real workspace and times the frontmost-application look-up.
class TimedWorkspace final : public platform::Workspace
{
public:
    TimedWorkspace(std::unique_ptr<platform::Workspace> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    std::optional<platform::RunningApplication> frontmostApplication() override
    {
        return stepped(m_measured, "frontmost", [&] { return m_inner->frontmostApplication(); });
    }
    platform::FrontmostWindow frontmostWindow() override
    {
        return stepped(m_measured, "window", [&] { return m_inner->frontmostWindow(); });
    }
    std::vector<platform::RunningApplication> runningApplications() override
    {
        return m_inner->runningApplications();
    }
    std::vector<platform::RunningApplication>
    runningApplications(const std::string& bundleIdentifier) override
    {
        return m_inner->runningApplications(bundleIdentifier);
    }
    void openURL(const std::string& url) override { m_inner->openURL(url); }
    std::string applicationsFolder() const override { return m_inner->applicationsFolder(); }
    std::optional<platform::ApplicationInfo> applicationInfo(const std::string& path) override
    {
        return m_inner->applicationInfo(path);
    }
    std::optional<platform::ApplicationInfo>
    installedApplication(const std::string& bundleIdentifier) override
    {
        return m_inner->installedApplication(bundleIdentifier);
    }

private:
    std::unique_ptr<platform::Workspace> m_inner;
    Measurements& m_measured;
};

// Forwards to the real browser-URL reader (on a worker) and marks the read's start and end.
class TimedBrowserUrl final : public platform::BrowserUrl
{
public:
    TimedBrowserUrl(std::unique_ptr<platform::BrowserUrl> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    std::optional<std::string> currentURL(std::int64_t processIdentifier,
                                          const std::string& bundleIdentifier) override
    {
        const auto start = Clock::now();
        m_measured.step("url-start");
        auto url = m_inner->currentURL(processIdentifier, bundleIdentifier);
        m_measured.step("url-end");
        m_measured.print("read " + std::to_string(millisecondsSince(start)));
        return url;
    }

private:
    std::unique_ptr<platform::BrowserUrl> m_inner;
    Measurements& m_measured;
};

// Forwards to the real accessibility service and times the trust check of every paste.
class TimedAccessibility final : public platform::Accessibility
{
public:
    TimedAccessibility(std::unique_ptr<platform::Accessibility> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    bool isProcessTrusted() override
    {
        return stepped(m_measured, "trust", [&] { return m_inner->isProcessTrusted(); });
    }
    platform::TrustRequest requestTrust() override { return m_inner->requestTrust(); }
    bool canSynthesizeInput() override { return m_inner->canSynthesizeInput(); }
    platform::ElementRef applicationElement(std::int64_t processIdentifier) override
    {
        return m_inner->applicationElement(processIdentifier);
    }
    platform::AttributeValue attributeValue(const platform::ElementRef& element,
                                            std::string_view attribute) override
    {
        return m_inner->attributeValue(element, attribute);
    }

private:
    std::unique_ptr<platform::Accessibility> m_inner;
    Measurements& m_measured;
};

// Forwards to the real keyboard events and notes when the keystroke went out.
class TimedKeyboardEvents final : public platform::KeyboardEvents
{
public:
    TimedKeyboardEvents(std::unique_ptr<platform::KeyboardEvents> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    bool postPasteKeystroke(platform::PasteKeystroke keystroke) override
    {
        const bool posted =
            timed(m_measured, "keystroke", [&] { return m_inner->postPasteKeystroke(keystroke); });
        m_measured.print("keystroke " + std::to_string(millisecondsSince(m_measured.press)));
        return posted;
    }

private:
    std::unique_ptr<platform::KeyboardEvents> m_inner;
    Measurements& m_measured;
};

// Forwards to the real pasteboard and notes when the target read our content.
class TimedPasteboard final : public platform::Pasteboard
{
public:
    TimedPasteboard(std::unique_ptr<platform::Pasteboard> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    std::vector<platform::PasteboardItem> items() override
    {
        return stepped(m_measured, "snapshot", [&] { return m_inner->items(); });
    }
    void clearContents() override
    {
        timed(m_measured, "clear", [&] {
            m_inner->clearContents();
            return true;
        });
    }
    bool writeItem(const platform::PasteboardItem& item) override
    {
        m_reported = false;
        const bool written = timed(m_measured, "write", [&] { return m_inner->writeItem(item); });
        m_measured.step("written");
        return written;
    }
    platform::PasteboardRead lastRead() const override { return m_inner->lastRead(); }
    bool ownsLastWrite() override { return m_inner->ownsLastWrite(); }
    bool contentWasRequested() const override { return m_inner->contentWasRequested(); }
    void setContentRequestedHandler(std::function<void()> handler) override
    {
        m_inner->setContentRequestedHandler([this, handler = std::move(handler)] {
            if (!m_reported && m_measured.pressing) {
                m_reported = true;
                m_measured.print("requested " +
                                 std::to_string(millisecondsSince(m_measured.press)));
            }
            if (handler)
                handler();
        });
    }

private:
    std::unique_ptr<platform::Pasteboard> m_inner;
    Measurements& m_measured;
    bool m_reported = false;
};

// Forwards to the real hotkeys and stamps each press as it reaches the handler.
class TimedHotkeys final : public platform::Hotkeys
{
public:
    TimedHotkeys(std::unique_ptr<platform::Hotkeys> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    platform::OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                           platform::HotKeyID id, platform::HotKeyRef& ref) override
    {
        return m_inner->registerEventHotKey(keyCode, modifiers, id, ref);
    }
    platform::OSStatus unregisterEventHotKey(platform::HotKeyRef ref) override
    {
        return m_inner->unregisterEventHotKey(ref);
    }
    platform::OSStatus installEventHandler(Handler handler) override
    {
        return m_inner->installEventHandler(
            [this, handler = std::move(handler)](const platform::KeyEvent& event) {
                if (event.kind == platform::KeyEventKind::hotKeyPressed) {
                    {
                        std::lock_guard lock(m_measured.mutex);
                        m_measured.press = Clock::now();
                        m_measured.pressing = true;
                        m_measured.longestStall = 0;
                    }
                    const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch());
                    m_measured.print("press " + std::to_string(wall.count()));
                }
                return handler(event);
            });
    }
    platform::OSStatus addEventTypes(const std::vector<platform::KeyEventKind>& kinds) override
    {
        return m_inner->addEventTypes(kinds);
    }
    platform::OSStatus removeEventTypes(const std::vector<platform::KeyEventKind>& kinds) override
    {
        return m_inner->removeEventTypes(kinds);
    }
    void setMenuTrackingObserver(std::function<void(bool)> observer) override
    {
        m_inner->setMenuTrackingObserver(std::move(observer));
    }
    void setArmedObserver(std::function<void(bool)> observer) override
    {
        m_inner->setArmedObserver([this, observer = std::move(observer)](bool armed) {
            if (armed)
                m_measured.print("armed");
            observer(armed);
        });
    }

private:
    std::unique_ptr<platform::Hotkeys> m_inner;
    Measurements& m_measured;
};

} // namespace

int main(int argc, char** argv)
{
    Measurements measured;
    // A 1 ms timer on the main thread: the gap between two ticks is how long the thread was
    // busy with something else.
    QElapsedTimer sinceTick;
    Clock::time_point stamped;

    harness::Hooks hooks;
    hooks.instrument = [&](platform::Platform& platform) {
        platform.executor = std::make_unique<TimedExecutor>(std::move(platform.executor), measured);
        platform.workspace =
            std::make_unique<TimedWorkspace>(std::move(platform.workspace), measured);
        platform.browserUrl =
            std::make_unique<TimedBrowserUrl>(std::move(platform.browserUrl), measured);
        platform.accessibility =
            std::make_unique<TimedAccessibility>(std::move(platform.accessibility), measured);
        platform.keyboardEvents =
            std::make_unique<TimedKeyboardEvents>(std::move(platform.keyboardEvents), measured);
        platform.pasteboard =
            std::make_unique<TimedPasteboard>(std::move(platform.pasteboard), measured);
        platform.hotkeys = std::make_unique<TimedHotkeys>(std::move(platform.hotkeys), measured);

        sinceTick.start();
        auto* stallMeter = new QTimer(QCoreApplication::instance()); // owned by the application
        stallMeter->setTimerType(Qt::PreciseTimer);
        stallMeter->setInterval(1);
        QObject::connect(stallMeter, &QTimer::timeout, [&] {
            const double gap = static_cast<double>(sinceTick.nsecsElapsed()) / 1e6 - 1.0;
            sinceTick.restart();
            if (measured.pressing && gap > measured.longestStall)
                measured.longestStall = gap;
        });
        stallMeter->start();
    };
    hooks.stamped = [&] {
        if (!measured.pressing)
            return;
        measured.print("stall " + std::to_string(measured.longestStall));
        std::lock_guard lock(measured.mutex);
        measured.pressing = false;
        stamped = Clock::now();
    };
    hooks.saved = [&] { measured.print("save " + std::to_string(millisecondsSince(stamped))); };
    hooks.matched = [&](const std::string& rule) {
        measured.print("matched " + std::to_string(millisecondsSince(measured.press)) + ' ' + rule);
    };
    return harness::run(argc, argv, hooks);
}
