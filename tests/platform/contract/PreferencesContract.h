#pragma once

#include "ContractBackend.h"
#include "platform/Preferences.h"

namespace ondrel::test {

class PreferencesHarness
{
public:
    virtual ~PreferencesHarness() = default;
    virtual platform::Preferences& preferences() = 0;
};

class PreferencesContract : public ContractTest<PreferencesHarness>
{};

} // namespace ondrel::test
