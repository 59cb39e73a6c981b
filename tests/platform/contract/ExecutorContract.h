#pragma once

#include "ContractBackend.h"
#include "platform/Executor.h"

namespace ondrel::test {

// An executor and a way to run its main thread.
class ExecutorHarness
{
public:
    virtual ~ExecutorHarness() = default;
    virtual platform::Executor& executor() = 0;
    /// Runs the main thread until done() holds; false when it never came to hold.
    virtual bool runUntil(const std::function<bool()>& done) = 0;
};

class ExecutorContract : public ContractTest<ExecutorHarness>
{};

} // namespace ondrel::test
