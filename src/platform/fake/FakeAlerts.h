#pragma once

#include "platform/Alerts.h"

#include <deque>

namespace ondrel::platform::fake {

// Alerts answered from a script; every alert and chooser shown is recorded.
class FakeAlerts final : public Alerts
{
public:
    FakeAlerts() = default;

    int runModal(const Alert& alert) override;
    int runSheet(const Alert& alert, WindowHandle window) override;
    std::optional<std::string> chooseApplication(const std::string& folder) override;

    /// The next alert is answered with this button index (queued, first in first out).
    void queueAnswer(int buttonIndex) { m_answers.push_back(buttonIndex); }
    /// The answer when nothing is queued (0, the default button, unless changed).
    /// The next alert is dismissed with Escape: it answers its cancel button.
    void queueEscape() { m_answers.push_back(escapeAnswer); }
    /// The next chooser returns this path (none: the user cancels).
    void queueChoice(std::optional<std::string> path) { m_choices.push_back(std::move(path)); }

    /// Every alert shown, in order.
    const std::vector<Alert>& shownAlerts() const { return m_shown; }
    /// The window each alert was attached to, in order (null: application-modal).
    const std::vector<WindowHandle>& alertWindows() const { return m_windows; }
    /// The folder each chooser started in, in order.
    const std::vector<std::string>& chooserFolders() const { return m_chooserFolders; }

private:
    static constexpr int escapeAnswer = -1;

    std::deque<int> m_answers;
    std::vector<WindowHandle> m_windows;
    std::deque<std::optional<std::string>> m_choices;
    std::vector<Alert> m_shown;
    std::vector<std::string> m_chooserFolders;
};

} // namespace ondrel::platform::fake
