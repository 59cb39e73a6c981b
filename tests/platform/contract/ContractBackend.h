#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace ondrel::test {

// One backend under a contract test: a name for the test list and a way to build a fresh
// harness (the service plus whatever it needs, such as a private home) for each test.
template <typename Harness>
struct ContractBackend
{
    std::string name;
    std::function<std::unique_ptr<Harness>()> make;

    friend void PrintTo(const ContractBackend& backend, std::ostream* out) { *out << backend.name; }
};

// A backend whose harness is Concrete, built fresh for each test.
template <typename Harness, typename Concrete>
ContractBackend<Harness> backend(std::string name)
{
    return {std::move(name), [] { return std::make_unique<Concrete>(); }};
}

// Names instantiated tests after their backend.
struct BackendName
{
    template <typename Harness>
    std::string operator()(const ::testing::TestParamInfo<ContractBackend<Harness>>& info) const
    {
        return info.param.name;
    }
};

// A fixture that builds a fresh harness from the backend parameter for every test.
template <typename Harness>
class ContractTest : public ::testing::TestWithParam<ContractBackend<Harness>>
{
protected:
    void SetUp() override { m_harness = this->GetParam().make(); }
    void TearDown() override { m_harness.reset(); }

    Harness& harness() { return *m_harness; }

private:
    std::unique_ptr<Harness> m_harness;
};

} // namespace ondrel::test
