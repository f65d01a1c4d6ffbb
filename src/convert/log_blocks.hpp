#pragma once

#include "mapped_window.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace zum {

// A log file cut into blocks that can each be read on its own, in any order
// and on any thread: block k holds the lines that begin in [k × blockSize,
// (k + 1) × blockSize), cut as LineReader cuts them. Whether a place begins a
// line shows in the byte before it (and, after a CR, the byte at it), so no
// block waits for the one before. A line longer than LineReader::kMaxLine is
// left out, as LineReader leaves it out.
//
// The log is taken at the size it has when the blocks are made. With `map`,
// a regular file is read through windows of it mapped into memory, each
// serving several blocks, so the kernel hands over its cached pages instead
// of copying them; a file that shrinks under a window, or whose storage
// fails, then raises SIGBUS, so only a program that handles SIGBUS may ask
// for it. Otherwise, or when mapping fails, each block is read into a buffer
// of its own.
class LogBlocks {
public:
    // At most `inFlight` blocks are prepared and not yet done at any time.
    LogBlocks(std::FILE* file, std::size_t blockSize, std::size_t inFlight, bool map);
    LogBlocks(const LogBlocks&) = delete;
    LogBlocks& operator=(const LogBlocks&) = delete;

    [[nodiscard]] std::uint64_t Count() const { return count_; }
    // Why the log's size could not be read (there are no blocks then), or 0.
    [[nodiscard]] int Error() const { return error_; }
    // Bytes of the buffer a block is read into when the log is not mapped.
    [[nodiscard]] std::size_t Capacity() const;

    // Makes block k ready to be read (maps its window), and Done gives it
    // back once its lines are no longer used (a window goes with its last
    // block). Blocks are prepared, and given back, in order; the caller
    // keeps these two calls from running at once.
    void Prepare(std::uint64_t k);
    void Done(std::uint64_t k);

    struct BlockRead {
        std::string_view lines;     // the last perhaps without its line end
        std::size_t bufferUsed = 0; // bytes of the buffer filled
        int error = 0;              // why the log could not be read, or 0
    };
    // Block k's lines: in its window, or read into `buffer`, which is made
    // (Capacity() bytes) the first time a block is read that way. False when
    // the log could not be read.
    bool Read(std::uint64_t k, std::unique_ptr<char[]>& buffer, BlockRead& read) const;

private:
    struct Window {
        std::uint64_t segment = UINT64_MAX; // which run of blocks it serves
        MappedWindow map;
    };
    [[nodiscard]] bool ReadAt(std::uint64_t offset, char* to, std::size_t size,
                              std::size_t& got) const;
    [[nodiscard]] const Window& WindowOf(std::uint64_t k) const;

    std::FILE* file_;
    std::uint64_t fileSize_ = 0;
    std::size_t blockSize_;
    std::uint64_t count_ = 0;
    bool mapped_ = false;
    std::uint64_t blocksPerWindow_ = 1;
    std::vector<Window> windows_; // by segment, round robin
    int error_ = 0;               // why the size could not be read
};

} // namespace zum
