#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace ondrel::test {

// Collects what is written to a stream (std::cout by default) while it lives.
class OutputCapture
{
public:
    explicit OutputCapture(std::ostream& stream = std::cout);
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    /// Everything written so far.
    std::string text() const { return m_buffer.str(); }
    /// The complete lines written so far, without their line feeds.
    std::vector<std::string> lines() const;
    /// Forgets what was written so far.
    void clear() { m_buffer.str({}); }

private:
    // The buffer is constructed before the stream is pointed at it.
    std::stringstream m_buffer;
    std::ostream& m_stream;
    std::streambuf* m_previous;
};

} // namespace ondrel::test
