#pragma once

#include "ContractBackend.h"
#include "platform/NotificationCenter.h"

namespace ondrel::test {

class NotificationCenterHarness
{
public:
    virtual ~NotificationCenterHarness() = default;
    virtual platform::NotificationCenter& center() = 0;
};

class NotificationCenterContract : public ContractTest<NotificationCenterHarness>
{};

// A harness around a service that needs nothing else.
template <typename Service>
class PlainNotificationCenterHarness final : public NotificationCenterHarness
{
public:
    platform::NotificationCenter& center() override { return m_service; }

private:
    Service m_service;
};

} // namespace ondrel::test
