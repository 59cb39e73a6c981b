#pragma once

#include <QStringList>

#include <chrono>
#include <functional>

namespace ondrel::test {

/// Runs the Qt event loop until done() holds or the limit passed; returns done().
bool processEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds limit = std::chrono::seconds(10));
/// Runs the Qt event loop for a while, for what must not happen within it.
void processEventsFor(std::chrono::milliseconds duration);

// Collects the Qt log messages of the ondrel categories while it lives.
class QtLogCapture
{
public:
    QtLogCapture();
    ~QtLogCapture();
    QtLogCapture(const QtLogCapture&) = delete;
    QtLogCapture& operator=(const QtLogCapture&) = delete;

    QStringList lines() const;
};

} // namespace ondrel::test
