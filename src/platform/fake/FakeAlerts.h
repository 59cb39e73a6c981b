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
    std::optional<std::string> chooseApplication(const std::string& folder) override;

    /// The next alert is answered with this button index (queued, first in first out).
    void queueAnswer(int buttonIndex) { m_answers.push_back(buttonIndex); }
    /// The answer when nothing is queued (0, the default button, unless changed).
    void setDefaultAnswer(int buttonIndex) { m_defaultAnswer = buttonIndex; }
    /// The next chooser returns this path (none: the user cancels).
    void queueChoice(std::optional<std::string> path) { m_choices.push_back(std::move(path)); }

    /// Every alert shown, in order.
    const std::vector<Alert>& shownAlerts() const { return m_shown; }
    /// The folder each chooser started in, in order.
    const std::vector<std::string>& chooserFolders() const { return m_chooserFolders; }

private:
    std::deque<int> m_answers;
    std::deque<std::optional<std::string>> m_choices;
    int m_defaultAnswer = 0;
    std::vector<Alert> m_shown;
    std::vector<std::string> m_chooserFolders;
};

} // namespace ondrel::platform::fake
