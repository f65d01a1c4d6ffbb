#include "convert/chunk_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zum {
namespace {

// The last CR or LF in [begin, end), or nullptr.
const char* LastLineEnd(const char* begin, const char* end) {
    for (const char* p = end; p > begin;) {
        --p;
        if (*p == '\n' || *p == '\r') {
            return p;
        }
    }
    return nullptr;
}

} // namespace

std::size_t ChunkReader::Next(char* buffer) {
    std::size_t size = 0;
    if (carrySize_ != 0) {
        std::memmove(buffer, carry_, carrySize_);
        size = carrySize_;
        carrySize_ = 0;
    }
    for (;;) {
        if (eof_ || failed_) {
            // What is left is the last line, without a line end.
            if (failed_ || discarding_) {
                discarding_ = false;
                return 0;
            }
            return size;
        }
        errno = 0;
        const std::size_t got =
            std::fread(buffer + size, 1, std::min(chunkSize_, Capacity() - size), input_);
        if (got == 0) {
            if (std::ferror(input_)) {
                failed_ = true;
                error_ = errno != 0 ? errno : EIO;
            }
            eof_ = true;
            continue;
        }
        // Only the new bytes can hold a line end: the carried start has none.
        const char* fresh = buffer + size;
        size += got;
        const char* end = buffer + size;
        if (discarding_) {
            const char* stop = FindLineEnd(fresh, end);
            if (stop == end) {
                size = 0; // still inside the overlong line
                continue;
            }
            // The overlong line ends here; what follows its end is kept.
            discarding_ = false;
            size = static_cast<std::size_t>(end - (stop + 1));
            std::memmove(buffer, stop + 1, size);
            end = buffer + size;
            fresh = buffer;
        }
        if (const char* last = LastLineEnd(fresh, end); last != nullptr) {
            carry_ = last + 1;
            carrySize_ = static_cast<std::size_t>(end - carry_);
            return static_cast<std::size_t>(carry_ - buffer);
        }
        if (size > LineReader::kMaxLine) {
            discarding_ = true;
            size = 0;
        }
    }
}

} // namespace zum
