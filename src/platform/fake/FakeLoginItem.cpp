#include "FakeLoginItem.h"

namespace ondrel::platform::fake {

std::optional<std::string> FakeLoginItem::registerItem()
{
    ++m_registerCount;
    if (m_registerError) {
        return m_registerError;
    }
    m_status = LoginItemStatus::enabled;
    return std::nullopt;
}

std::optional<std::string> FakeLoginItem::unregisterItem()
{
    ++m_unregisterCount;
    if (m_unregisterError) {
        return m_unregisterError;
    }
    m_status = LoginItemStatus::notRegistered;
    return std::nullopt;
}

} // namespace ondrel::platform::fake
