#include "FakeAlerts.h"

namespace ondrel::platform::fake {

int FakeAlerts::runModal(const Alert& alert)
{
    m_shown.push_back(alert);
    if (m_answers.empty()) {
        return m_defaultAnswer;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
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
