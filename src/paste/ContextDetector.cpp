#include "ContextDetector.h"

#include "platform/BrowserApps.h"

#include <utility>
#include <vector>

namespace ondrel::paste {

using platform::AttributeValue;
using platform::ElementRef;

namespace {

std::string chromiumScript(std::string_view bundleID)
{
    return "tell application id \"" + std::string(bundleID) +
           "\" to return URL of active tab of front window";
}

std::string safariScript(std::string_view applicationName)
{
    return "tell application \"" + std::string(applicationName) +
           "\" to return URL of current tab of front window";
}

const std::string* textOf(const AttributeValue& value)
{
    return std::get_if<std::string>(&value);
}

bool hasWebScheme(const std::string& text)
{
    return text.starts_with("http://") || text.starts_with("https://");
}

// Decides a race once: whichever of the look-up and the timer settles first hands the result on.
struct Race
{
    ContextDetector::URLHandler done;
    platform::Executor::TimerId timer = 0;
    bool decided = false;
    // Read by the worker so that an abandoned search stops reading the tree.
    std::shared_ptr<std::atomic<bool>> abandoned = std::make_shared<std::atomic<bool>>(false);

    void settle(ContextDetector::OptionalText result)
    {
        if (decided)
            return;
        decided = true;
        abandoned->store(true);
        auto handler = std::move(done);
        handler(std::move(result));
    }
};

} // namespace

// The context read ahead of the press it is meant for.
struct ContextDetector::Prepared
{
    platform::RunningApplication application;
    platform::FrontmostWindow window;
    std::chrono::steady_clock::time_point startedAt;
    bool answered = false;
    OptionalText url;
    URLHandler waiting; // the press that took it before the answer came
};

ContextDetector::ContextDetector(Services services)
    : m_executor(services.executor), m_workspace(services.workspace),
      m_accessibility(services.accessibility), m_browserUrl(services.browserUrl),
      m_scriptRunner(std::move(services.scriptRunner))
{}

const std::set<std::string>& ContextDetector::supportedBrowsers()
{
    static const std::set<std::string> browsers = [] {
        std::set<std::string> ids;
        for (const auto& [id, script] : browserScripts())
            ids.insert(id);
        ids.insert("org.mozilla.firefox");
        ids.insert("org.mozilla.firefoxdeveloperedition");
        return ids;
    }();
    return browsers;
}

const std::map<std::string, std::string>& ContextDetector::browserScripts()
{
    static const std::map<std::string, std::string> scripts = [] {
        std::map<std::string, std::string> table = {
            {"com.apple.Safari", safariScript("Safari")},
            {"com.apple.SafariTechnologyPreview", safariScript("Safari Technology Preview")},
        };
        for (const char* id :
             {"com.google.Chrome", "com.google.Chrome.beta", "com.google.Chrome.canary",
              "com.brave.Browser", "com.brave.Browser.beta", "com.microsoft.edgemac",
              "com.microsoft.edgemac.Beta", "company.thebrowser.Browser", "com.vivaldi.Vivaldi",
              "com.operasoftware.Opera"})
            table.emplace(id, chromiumScript(id));
        return table;
    }();
    return scripts;
}

bool ContextDetector::isSupportedBrowser(const std::string& bundleID)
{
    return platform::isLinuxBrowserApp(bundleID) || supportedBrowsers().contains(bundleID);
}

void ContextDetector::detectContext(ContextHandler done)
{
    // The window in front still being the one read ahead, with the same title (a browser's
    // follows its tab and page), is a question to the display only; the whole look-up of its
    // application is several, asked while the display is busiest.
    const auto prepared = takePrepared();
    const std::optional<platform::RunningApplication> frontmost =
        prepared ? std::optional(prepared->application) : m_workspace.frontmostApplication();
    if (!frontmost || !frontmost->bundleIdentifier) {
        done(DetectedContext{});
        return;
    }
    std::string bundleID = *frontmost->bundleIdentifier;
    if (!isSupportedBrowser(bundleID)) {
        done(DetectedContext{std::move(bundleID), std::nullopt});
        return;
    }
    URLHandler withURL = [bundleID, done = std::move(done)](OptionalText url) mutable {
        done(DetectedContext{std::move(bundleID), std::move(url)});
    };
    // A read ahead that found nothing may have come too early (a tree still waking): ask again.
    if (prepared && !(prepared->answered && !prepared->url)) {
        if (prepared->answered)
            withURL(std::move(prepared->url));
        else
            prepared->waiting = std::move(withURL);
        return;
    }
    browserURL(*frontmost, std::move(withURL));
}

void ContextDetector::prepareContext()
{
    const auto window = m_workspace.frontmostWindow();
    const auto now = m_executor.now();
    if (m_prepared && m_prepared->window == window &&
        now - m_prepared->startedAt <= preparedLifetime)
        return; // already read, or being read, for this window
    m_prepared.reset();
    const auto frontmost = m_workspace.frontmostApplication();
    if (!frontmost || !frontmost->bundleIdentifier || window.id == 0)
        return;
    auto prepared = std::make_shared<Prepared>();
    prepared->application = *frontmost;
    prepared->window = window;
    prepared->startedAt = now;
    m_prepared = prepared;
    if (!isSupportedBrowser(*frontmost->bundleIdentifier)) {
        prepared->answered = true; // nothing more to read for it
        return;
    }
    browserURL(*frontmost, [prepared](OptionalText url) {
        prepared->answered = true;
        prepared->url = std::move(url);
        if (auto waiting = std::move(prepared->waiting))
            waiting(std::move(prepared->url));
    });
}

void ContextDetector::dropPreparedContext()
{
    m_prepared.reset();
}

std::shared_ptr<ContextDetector::Prepared> ContextDetector::takePrepared()
{
    auto prepared = std::exchange(m_prepared, nullptr);
    if (!prepared || m_executor.now() - prepared->startedAt > preparedLifetime ||
        prepared->window != m_workspace.frontmostWindow())
        return nullptr;
    return prepared;
}

void ContextDetector::browserURL(const platform::RunningApplication& application, URLHandler done)
{
    const std::string bundleID = application.bundleIdentifier.value_or("");
    platform::Accessibility& accessibility = m_accessibility;

    // Where the platform runs scripts, the browsers of the script table answer through them.
    const auto script = browserScripts().find(bundleID);
    if (m_scriptRunner && script != browserScripts().end()) {
        withTimeout(
            urlTimeLimit,
            [runner = m_scriptRunner, source = script->second](const std::atomic<bool>&) {
                return runner->run(source);
            },
            std::move(done));
        return;
    }

    // Linux browsers tell their URL through the browser-URL service; the address-field search
    // of the focused window is the fall-back, within the same limit.
    if (platform::isLinuxBrowserApp(bundleID)) {
        withTimeout(
            urlTimeLimit,
            [&browserUrl = m_browserUrl, &accessibility, bundleID,
             pid = application.processIdentifier](const std::atomic<bool>& abandoned) {
                OptionalText url = browserUrl.currentURL(pid, bundleID);
                if (url || abandoned)
                    return url;
                return firefoxURL(accessibility, pid, abandoned);
            },
            std::move(done));
        return;
    }

    if (bundleID.find("firefox") != std::string::npos) {
        const std::vector<platform::RunningApplication> instances =
            m_workspace.runningApplications(bundleID);
        if (instances.empty()) {
            done(std::nullopt);
            return;
        }
        withTimeout(
            urlTimeLimit,
            [&accessibility,
             pid = instances.front().processIdentifier](const std::atomic<bool>& abandoned) {
                return firefoxURL(accessibility, pid, abandoned);
            },
            std::move(done));
        return;
    }

    // A browser that needs a script where none can be run.
    done(std::nullopt);
}

void ContextDetector::withTimeout(std::chrono::milliseconds limit, Lookup lookup, URLHandler done)
{
    auto race = std::make_shared<Race>();
    race->done = std::move(done);
    race->timer = m_executor.runAfter(limit, [race] { race->settle(std::nullopt); });

    // The worker holds only the flag and what the look-up captured: once the race is decided
    // it may finish whenever it likes, or never.
    platform::Executor& executor = m_executor;
    executor.runOnWorker<OptionalText>(
        [lookup = std::move(lookup), abandoned = race->abandoned] { return lookup(*abandoned); },
        [race, &executor](OptionalText url) {
            if (race->decided)
                return;
            executor.cancel(race->timer);
            race->settle(std::move(url));
        });
}

ContextDetector::OptionalText ContextDetector::firefoxURL(platform::Accessibility& accessibility,
                                                          std::int64_t processIdentifier,
                                                          const std::atomic<bool>& abandoned)
{
    const ElementRef application = accessibility.applicationElement(processIdentifier);
    if (!application || abandoned)
        return std::nullopt;
    const AttributeValue window =
        accessibility.attributeValue(application, platform::AXAttribute::focusedWindow);
    const ElementRef* windowElement = std::get_if<ElementRef>(&window);
    if (!windowElement || !*windowElement)
        return std::nullopt;
    return findURL(accessibility, *windowElement, abandoned);
}

ContextDetector::OptionalText ContextDetector::findURL(platform::Accessibility& accessibility,
                                                       const ElementRef& element,
                                                       const std::atomic<bool>& abandoned)
{
    // Depth first, pre-order, with an explicit stack: a deep tree must not exhaust the worker's
    // stack, and children are pushed in reverse so that they are visited in the given order.
    std::vector<ElementRef> pending{element};
    std::size_t visited = 0;
    while (!pending.empty() && visited < maximumElementsSearched && !abandoned) {
        const ElementRef current = std::move(pending.back());
        pending.pop_back();
        ++visited;
        if (!current)
            continue;

        const AttributeValue role =
            accessibility.attributeValue(current, platform::AXAttribute::role);
        if (const std::string* roleText = textOf(role);
            roleText && *roleText == platform::AXRole::textField) {
            const AttributeValue value =
                accessibility.attributeValue(current, platform::AXAttribute::value);
            if (const std::string* text = textOf(value); text && hasWebScheme(*text))
                return *text;
        }

        const AttributeValue children =
            accessibility.attributeValue(current, platform::AXAttribute::children);
        const auto* list = std::get_if<std::vector<ElementRef>>(&children);
        if (!list)
            continue;
        const std::size_t searched = std::min(list->size(), maximumChildrenSearched);
        for (std::size_t i = searched; i > 0; --i)
            pending.push_back((*list)[i - 1]);
    }
    return std::nullopt;
}

} // namespace ondrel::paste
