#pragma once

#include <chrono>
#include <cstddef>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace pulsegrove {

// Reads newline-delimited lines from the app server's standard output with a deadline, noticing
// cancellation at least once per poll slice. Bytes after a returned line stay buffered for the next
// call. The buffer never holds more than one line limit plus one read, whatever the child sends.
// Given the writer's exit descriptor, the writer's exit ends the stream once the bytes it wrote
// have been read, even while a descendant of the writer keeps the pipe open.
class JSONLineReader {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    static constexpr std::size_t readSize = 8192;
    static constexpr std::size_t lineLimit = 1'048'576;
    static constexpr std::chrono::milliseconds defaultPollSlice{250};

    // Takes ownership of neither descriptor; -1 for no exit descriptor (end of file alone ends).
    JSONLineReader(int descriptor, std::stop_token stopToken,
                   std::chrono::milliseconds maximumPollSlice = defaultPollSlice,
                   int writerExitDescriptor = -1);

    // The next line without its line feed and without one trailing carriage return. Throws
    // CancellationError, or CodexRateLimitClientError (requestTimedOut, connectionClosed,
    // malformedResponse for an over-long line).
    std::string nextLine(Deadline deadline);

    static std::string_view trimmingTrailingCarriageReturn(std::string_view line);

private:
    void checkCancellation() const;
    bool takeBufferedLine(std::string &line);
    int pollMilliseconds(Deadline deadline) const;
    // Returns false at end of file.
    bool readAvailableBytes();
    // Reads what is ready; throws connectionClosed at end of file, malformedResponse when the
    // buffer holds more than a line's worth without a line feed.
    void readReadyBytes();
    // After the writer's exit: what it left in the pipe, or connectionClosed once that is read.
    void readLeftoverBytes();
    void reserveForRead();

    int m_descriptor;
    std::stop_token m_stopToken;
    std::chrono::milliseconds m_maximumPollSlice;
    int m_writerExitDescriptor;
    bool m_writerExited = false;
    std::vector<char> m_buffer;
    // Bytes of m_buffer already searched for a line feed.
    std::size_t m_scanned = 0;
};

} // namespace pulsegrove
