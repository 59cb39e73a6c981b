#pragma once

#include "ContractBackend.h"
#include "platform/LoginItem.h"

namespace ondrel::test {

class LoginItemHarness
{
public:
    virtual ~LoginItemHarness() = default;
    virtual platform::LoginItem& loginItem() = 0;
};

class LoginItemContract : public ContractTest<LoginItemHarness>
{};

} // namespace ondrel::test
