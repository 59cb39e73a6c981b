#pragma once

#include "platform/LoginItem.h"

namespace ondrel::platform::fake {

// A login item whose status and failures tests set.
class FakeLoginItem final : public LoginItem
{
public:
    FakeLoginItem() = default;

    LoginItemStatus status() override { return m_status; }
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

    void setStatus(LoginItemStatus status) { m_status = status; }
    /// registerItem() fails with this description (none: it succeeds).
    void setRegisterError(std::optional<std::string> error) { m_registerError = std::move(error); }
    /// unregisterItem() fails with this description (none: it succeeds).
    void setUnregisterError(std::optional<std::string> error)
    {
        m_unregisterError = std::move(error);
    }
    int registerCount() const { return m_registerCount; }
    int unregisterCount() const { return m_unregisterCount; }

private:
    LoginItemStatus m_status = LoginItemStatus::notRegistered;
    std::optional<std::string> m_registerError;
    std::optional<std::string> m_unregisterError;
    int m_registerCount = 0;
    int m_unregisterCount = 0;
};

} // namespace ondrel::platform::fake
