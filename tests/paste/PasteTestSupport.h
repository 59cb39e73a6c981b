#pragma once

#include "paste/AppleScriptRunner.h"

#include "platform/Pasteboard.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::platform {

// Readable failure messages: the type and the bytes as text.
inline void PrintTo(const PasteboardEntry& entry, std::ostream* os)
{
    *os << entry.type << "=\"";
    for (const std::byte b : entry.data)
        *os << static_cast<char>(b);
    *os << '"';
}

} // namespace ondrel::platform

namespace ondrel::paste::test {

// Scripts that all give one answer (none: they fail), and the sources they were given. The
// time limit on a look-up is common to every URL source and pinned with the browser-URL fake.
class FakeScriptRunner final : public AppleScriptRunner
{
public:
    std::optional<std::string> run(const std::string& source) override
    {
        std::lock_guard lock(m_mutex);
        m_sources.push_back(source);
        return m_result;
    }

    void answer(std::optional<std::string> result)
    {
        std::lock_guard lock(m_mutex);
        m_result = std::move(result);
    }
    std::vector<std::string> sources() const
    {
        std::lock_guard lock(m_mutex);
        return m_sources;
    }

private:
    mutable std::mutex m_mutex;
    std::optional<std::string> m_result;
    std::vector<std::string> m_sources;
};

inline constexpr std::int64_t frontmostPid = 4242;

inline platform::PasteboardEntry entry(std::string_view type, std::string_view text)
{
    return platform::fake::FakePasteboard::textEntry(std::string(type), text);
}

// The fake desktop every paste test starts from: a frontmost application, scripts that answer
// as told, and the pasteboard's entries written as text.
class PasteTest : public testing::Test
{
protected:
    void frontmost(std::optional<std::string> bundleID)
    {
        platform::RunningApplication application;
        application.bundleIdentifier = std::move(bundleID);
        application.processIdentifier = frontmostPid;
        fake.workspace().setFrontmostApplication(application);
        fake.workspace().setRunningApplications({application});
    }

    platform::fake::FakePlatform fake;
    std::chrono::steady_clock::time_point start = fake.executor().now();
    std::shared_ptr<FakeScriptRunner> scripts = std::make_shared<FakeScriptRunner>();
};

} // namespace ondrel::paste::test
