#include "OutputCapture.h"

namespace ondrel::test {

OutputCapture::OutputCapture(std::ostream& stream)
    : m_stream(stream), m_previous(stream.rdbuf(m_buffer.rdbuf()))
{}

OutputCapture::~OutputCapture()
{
    m_stream.rdbuf(m_previous);
}

std::vector<std::string> OutputCapture::lines() const
{
    std::vector<std::string> result;
    const std::string all = text();
    std::size_t start = 0;
    for (std::size_t end = all.find('\n'); end != std::string::npos; end = all.find('\n', start)) {
        result.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

} // namespace ondrel::test
