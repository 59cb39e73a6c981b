#include "HotkeyCoordinator.h"

#include "rules/RuleMatching.h"

#include <utility>

namespace ondrel::paste {

namespace {

// Shift and Command in the event-modifier form.
constexpr std::uint64_t defaultModifierFlags = 0x120000;

} // namespace

HotkeyCoordinator::Services HotkeyCoordinator::services(platform::Platform& platform,
                                                        shortcuts::KeyboardShortcuts& component)
{
    return Services{*platform.executor,
                    *platform.workspace,
                    *platform.accessibility,
                    *platform.browserUrl,
                    *platform.pasteboard,
                    *platform.keyboardEvents,
                    *platform.userNotifications,
                    *platform.hotkeys,
                    component,
                    nullptr};
}

std::shared_ptr<HotkeyCoordinator> HotkeyCoordinator::create(rules::RuleStore& ruleStore,
                                                             PermissionManager& permissionManager,
                                                             Services services)
{
    return std::make_shared<HotkeyCoordinator>(ConstructionKey{}, ruleStore, permissionManager,
                                               std::move(services));
}

HotkeyCoordinator::HotkeyCoordinator(ConstructionKey, rules::RuleStore& ruleStore,
                                     PermissionManager& permissionManager, Services services)
    : m_ruleStore(ruleStore), m_permissionManager(permissionManager), m_executor(services.executor),
      m_hotkeys(services.hotkeys), m_keyboardShortcuts(services.keyboardShortcuts),
      m_contextDetector(ContextDetector::Services{services.executor, services.workspace,
                                                  services.accessibility, services.browserUrl,
                                                  std::move(services.scriptRunner)}),
      m_pasteEngine(PasteEngine::Services{services.executor, services.accessibility,
                                          services.pasteboard, services.keyboardEvents,
                                          services.userNotifications})
{}

shortcuts::Shortcut HotkeyCoordinator::defaultShortcut()
{
    return shortcuts::Shortcut(shortcuts::Key::v, shortcuts::ModifierFlags{defaultModifierFlags});
}

shortcuts::Name HotkeyCoordinator::smartPasteName(shortcuts::KeyboardShortcuts& component)
{
    return shortcuts::Name(component, shortcutName, defaultShortcut());
}

void HotkeyCoordinator::registerHotkey()
{
    m_keyboardShortcuts.onKeyDown(smartPasteName(m_keyboardShortcuts),
                                  [coordinator = weak_from_this(), &executor = m_executor] {
                                      // The press only queues the work; the handler returns at
                                      // once.
                                      if (coordinator.expired())
                                          return;
                                      executor.post([coordinator] {
                                          if (const auto self = coordinator.lock())
                                              self->smartPastePressed();
                                      });
                                  });
    m_hotkeys.setArmedObserver(
        [coordinator = weak_from_this(), &executor = m_executor](bool armed) {
            executor.post([coordinator, armed] {
                if (const auto self = coordinator.lock())
                    self->armedChanged(armed);
            });
        });
}

void HotkeyCoordinator::armedChanged(bool armed)
{
    m_armed = armed;
    if (!armed)
        m_contextDetector.dropPreparedContext();
    else if (!m_isPasting)
        m_contextDetector.prepareContext();
}

void HotkeyCoordinator::smartPastePressed()
{
    if (m_isPasting) {
        ++m_waitingPresses;
        return;
    }
    startPress();
}

void HotkeyCoordinator::startPress()
{
    m_isPasting = true;
    performSmartPaste([this] {
        if (m_waitingPresses > 0) {
            --m_waitingPresses;
            startPress();
        } else {
            m_isPasting = false;
            // Our own keystroke let go of the modifiers and pressed them again while the paste
            // ran; another press may follow at once.
            if (m_armed)
                m_contextDetector.prepareContext();
        }
    });
}

void HotkeyCoordinator::performSmartPaste(std::function<void()> done)
{
    if (!done)
        done = [] {};
    // A smart paste keeps its coordinator alive until it ends. The continuations hold it only
    // weakly, so that dropping them (an executor that goes away first) never destroys it
    // while the services it uses may already be gone.
    if (m_smartPastesUnderWay++ == 0)
        m_keepAlive = shared_from_this();
    const std::weak_ptr<HotkeyCoordinator> weak = weak_from_this();
    m_contextDetector.detectContext(
        [weak, done = std::move(done)](DetectedContext context) mutable {
            const auto self = weak.lock();
            if (!self)
                return;
            std::optional<rules::Rule> rule =
                rules::findMatchingRule(self->m_ruleStore.rules(), context.bundleID, context.url);
            if (!rule) {
                self->endSmartPaste(std::move(done));
                return;
            }
            // The rule is the copy taken at matching time: edits made during the paste do not
            // change what is pasted or the name shown, and the stamp finds the rule by its id.
            const rules::Rule matched = std::move(*rule);
            auto finished = [weak, matched, done = std::move(done)]() mutable {
                const auto self = weak.lock();
                if (!self)
                    return;
                self->m_ruleStore.markRuleUsed(matched);
                self->setLastMatchedRuleName(matched.name);
                self->endSmartPaste(std::move(done));
            };
            self->m_pasteEngine.paste(matched.content, matched.contentType, context.bundleID,
                                      std::move(finished));
        });
}

void HotkeyCoordinator::endSmartPaste(std::function<void()> done)
{
    // The caller holds a strong reference, so releasing ours here cannot destroy this yet.
    if (--m_smartPastesUnderWay == 0)
        m_keepAlive.reset();
    done();
}

void HotkeyCoordinator::setLastMatchedRuleName(std::string name)
{
    m_willChange.notify();
    m_lastMatchedRuleName = std::move(name);
    m_didChange.notify();
}

common::Subscription HotkeyCoordinator::addObserver(std::function<void()> willChange)
{
    return m_willChange.add(std::move(willChange));
}

common::Subscription HotkeyCoordinator::addDidChangeObserver(std::function<void()> didChange)
{
    return m_didChange.add(std::move(didChange));
}

} // namespace ondrel::paste
