#include "quota/JSONLineReader.h"

#include "quota/CancellationError.h"
#include "quota/CodexRateLimitClientError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace pulsegrove {

JSONLineReader::JSONLineReader(int descriptor, std::stop_token stopToken,
                               std::chrono::milliseconds maximumPollSlice, int writerExitDescriptor)
    : m_descriptor(descriptor), m_stopToken(std::move(stopToken)), m_maximumPollSlice(maximumPollSlice),
      m_writerExitDescriptor(writerExitDescriptor)
{
}

std::string_view JSONLineReader::trimmingTrailingCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

void JSONLineReader::checkCancellation() const
{
    if (m_stopToken.stop_requested())
        throw CancellationError();
}

bool JSONLineReader::takeBufferedLine(std::string &line)
{
    const auto scanFrom = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_scanned);
    const auto feed = std::find(scanFrom, m_buffer.end(), '\n');
    if (feed == m_buffer.end()) {
        m_scanned = m_buffer.size();
        return false;
    }
    const auto length = static_cast<std::size_t>(feed - m_buffer.begin());
    if (length > lineLimit)
        throw CodexRateLimitClientError::malformedResponse();
    line = trimmingTrailingCarriageReturn(std::string_view(m_buffer.data(), length));
    m_buffer.erase(m_buffer.begin(), feed + 1);
    m_scanned = 0;
    return true;
}

int JSONLineReader::pollMilliseconds(Deadline deadline) const
{
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
    return static_cast<int>(std::clamp(left, milliseconds(0), m_maximumPollSlice).count());
}

void JSONLineReader::reserveForRead()
{
    // Grow by doubling, but never past one full line plus one read: a child that floods us
    // without line feeds must not make us hold more than that.
    const std::size_t needed = m_buffer.size() + readSize;
    if (needed <= m_buffer.capacity())
        return;
    m_buffer.reserve(std::min(std::max(needed, 2 * m_buffer.capacity()), lineLimit + readSize));
}

bool JSONLineReader::readAvailableBytes()
{
    reserveForRead();
    const std::size_t before = m_buffer.size();
    m_buffer.resize(before + readSize);
    for (;;) {
        const ssize_t count = ::read(m_descriptor, m_buffer.data() + before, readSize);
        if (count > 0) {
            m_buffer.resize(before + static_cast<std::size_t>(count));
            return true;
        }
        m_buffer.resize(before);
        if (count == 0)
            return false;
        if (errno != EINTR)
            throw CodexRateLimitClientError::connectionClosed();
        checkCancellation();
        m_buffer.resize(before + readSize);
    }
}

void JSONLineReader::readReadyBytes()
{
    if (!readAvailableBytes())
        throw CodexRateLimitClientError::connectionClosed();
    // Everything before the new bytes was searched already and held no line feed.
    if (m_buffer.size() > lineLimit && std::find(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_scanned),
                                                 m_buffer.end(), '\n') == m_buffer.end())
        throw CodexRateLimitClientError::malformedResponse();
}

void JSONLineReader::readLeftoverBytes()
{
    pollfd request{m_descriptor, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&request, 1, 0)) < 0 && errno == EINTR) {
    }
    if (ready <= 0)
        throw CodexRateLimitClientError::connectionClosed();
    readReadyBytes();
}

std::string JSONLineReader::nextLine(Deadline deadline)
{
    checkCancellation();
    std::string line;
    for (;;) {
        if (takeBufferedLine(line))
            return line;
        if (m_writerExited) {
            readLeftoverBytes();
            continue;
        }
        const int timeout = pollMilliseconds(deadline);
        if (timeout < 1)
            throw CodexRateLimitClientError::requestTimedOut();
        pollfd requests[] = {{m_descriptor, POLLIN, 0}, {m_writerExitDescriptor, POLLIN, 0}};
        const int ready = ::poll(requests, m_writerExitDescriptor >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR)
            throw CodexRateLimitClientError::connectionClosed();
        if (ready > 0 && requests[0].revents != 0)
            readReadyBytes();
        else if (ready > 0 && requests[1].revents != 0)
            m_writerExited = true;
        checkCancellation();
    }
}

} // namespace pulsegrove
