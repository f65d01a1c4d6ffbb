#pragma once

#include "mapped_window.hpp"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

namespace zum {

// Streams the lines of a file through one buffer allocated up front. CR LF,
// LF and a lone CR each end a line; a last line without a line end is a line
// like any other. A line longer than kMaxLine cannot be a sentence: it is read
// past without being stored, so memory stays bounded whatever the input.
//
// With `mapped`, a regular file is read through a window of it mapped into
// memory, moved along as the lines are used: the kernel then hands over its
// cached pages instead of copying them. A file that shrinks under the window,
// or whose storage fails, then raises SIGBUS instead of a read error, so only
// a program that handles SIGBUS may ask for it (zum-convert does). Anything
// that cannot be mapped is read as usual.
class LineReader {
public:
    static constexpr std::size_t kMaxLine = 1024 * 1024;

    explicit LineReader(std::FILE* input, bool mapped = false);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line, without its line end; valid until the next call. False at
    // the end of the input or when reading failed (see Failed).
    bool Next(std::string_view& line);
    // The same, but the lines that cannot be an RMC or GSA sentence (see
    // FindSentenceStart) may be passed over without being returned.
    bool NextSentence(std::string_view& line);
    [[nodiscard]] bool Failed() const { return failed_; }
    [[nodiscard]] int Error() const { return error_; }

private:
    static constexpr std::size_t kChunk = 256 * 1024;
    static constexpr std::size_t kCapacity = kMaxLine + kChunk;
    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

    // The mapped window: large enough for the longest line kept and the page
    // before it, small enough to keep memory flat.
    static constexpr std::size_t kWindow = 4 * 1024 * 1024;

    bool refill();
    bool remap();
    void passOver();
    std::size_t findLineEnd(std::size_t from);

    std::FILE* input_;
    std::unique_ptr<char[]> buffer_;
    // What begin_ and end_ count from: buffer_, or the mapped window.
    const char* data_ = nullptr;
    int mappedFd_ = -1; // -1: reading into buffer_
    MappedWindow window_;
    unsigned long long windowOffset_ = 0; // the window's place in the file
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    // Where the next line end at or after `begin_` stands (end_ when there is
    // none in the buffer), so that the rest of the buffer is not searched
    // again after a line that had no end.
    std::size_t nextEnd_ = kUnknown;
    bool eof_ = false;
    bool failed_ = false;
    int error_ = 0;
    bool skipLf_ = false;     // the last line ended in CR; an LF right after belongs to it
    bool discarding_ = false; // inside an overlong line
};

} // namespace zum
