#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>

namespace ondrel::test {

/// Runs the Qt event loop until done() holds or a generous safety limit passes.
inline bool processEventsUntil(const std::function<bool()>& done, int limitMs = 10'000)
{
    QDeadlineTimer deadline(limitMs);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// Writes a file, creating its folders first.
inline void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Collects the Qt log messages of the ondrel categories while it lives.
class QtLogCapture
{
public:
    QtLogCapture() : m_previous(qInstallMessageHandler(&QtLogCapture::handle))
    {
        std::lock_guard lock(mutex());
        messages().clear();
    }
    ~QtLogCapture() { qInstallMessageHandler(m_previous); }
    QtLogCapture(const QtLogCapture&) = delete;
    QtLogCapture& operator=(const QtLogCapture&) = delete;

    QStringList lines() const
    {
        std::lock_guard lock(mutex());
        return messages();
    }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (context.category && QString::fromUtf8(context.category).startsWith("ondrel.")) {
            std::lock_guard lock(mutex());
            messages().append(message);
        }
    }
    static std::mutex& mutex()
    {
        static std::mutex instance;
        return instance;
    }
    static QStringList& messages()
    {
        static QStringList instance;
        return instance;
    }

    QtMessageHandler m_previous;
};

} // namespace ondrel::test
