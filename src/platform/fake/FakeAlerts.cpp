#include "FakeAlerts.h"

namespace ondrel::platform::fake {

int FakeAlerts::runModal(const Alert& alert)
{
    return runSheet(alert, nullptr);
}

int FakeAlerts::runSheet(const Alert& alert, WindowHandle window)
{
    m_shown.push_back(alert);
    m_windows.push_back(window);
    int answer = 0;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    return answer == escapeAnswer ? static_cast<int>(alert.cancelButton) : answer;
}

std::optional<std::string> FakeAlerts::chooseApplication(const std::string& folder)
{
    m_chooserFolders.push_back(folder);
    if (m_choices.empty()) {
        return std::nullopt;
    }
    auto choice = std::move(m_choices.front());
    m_choices.pop_front();
    return choice;
}

} // namespace ondrel::platform::fake
