#include "convert/log_blocks.hpp"

#include "convert/line_end.hpp"
#include "convert/line_reader.hpp"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <mutex>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zum {
namespace {

constexpr std::size_t kMaxLine = LineReader::kMaxLine;
// Bytes read past a block's end at first: enough for the line that crosses it.
constexpr std::size_t kReadPast = 512;
// A window serves the blocks of about this many bytes of log.
constexpr std::size_t kWindowBytes = 1024 * 1024;

// Bytes [from, to) of a file of `size` bytes, held at data[0].
struct FileBytes {
    const char* data;
    std::uint64_t from, to, size;

    [[nodiscard]] char At(std::uint64_t offset) const { return data[offset - from]; }
    [[nodiscard]] const char* Ptr(std::uint64_t offset) const { return data + (offset - from); }
};

// Where a line begins after the line end at `end`: CR LF is one line end.
std::uint64_t AfterLineEnd(const FileBytes& b, std::uint64_t end) {
    const std::uint64_t next = end + 1;
    return b.At(end) == '\r' && next < b.size && b.At(next) == '\n' ? next + 1 : next;
}

// The first line start in [start, stop), or stop when none begins there.
// Needs the bytes from start - 1 to stop.
std::uint64_t FirstLineStart(const FileBytes& b, std::uint64_t start, std::uint64_t stop) {
    if (start == 0) {
        return 0;
    }
    const char before = b.At(start - 1);
    if (before == '\n' || (before == '\r' && (start == b.size || b.At(start) != '\n'))) {
        return start;
    }
    const char* end = FindLineEnd(b.Ptr(start), b.Ptr(stop));
    if (end == b.Ptr(stop)) {
        return stop;
    }
    return std::min(stop, AfterLineEnd(b, start + static_cast<std::uint64_t>(end - b.Ptr(start))));
}

// The start of the last line that begins in [first, stop), first being one.
std::uint64_t LastLineStart(const FileBytes& b, std::uint64_t first, std::uint64_t stop) {
    for (std::uint64_t p = stop; p > first;) {
        --p;
        if (b.At(p) == '\n' || b.At(p) == '\r') {
            return std::min(stop, AfterLineEnd(b, p));
        }
    }
    return first;
}

// The lines of block [start, stop) as file offsets [begin, end), or, when
// the bytes held end too soon to tell, how far they must reach.
struct Extent {
    std::uint64_t begin = 0, end = 0;
    std::uint64_t need = 0; // not 0: read up to here and ask again
};

Extent FindExtent(const FileBytes& b, std::uint64_t start, std::uint64_t stop) {
    Extent extent;
    extent.begin = FirstLineStart(b, start, stop);
    const std::uint64_t last = LastLineStart(b, extent.begin, stop);
    extent.end = last;
    if (last >= stop) {
        return extent; // every line of the block ends inside it
    }
    // The last line crosses the block's end: it is the block's if it ends
    // within the longest line kept, and left out otherwise.
    const std::uint64_t limit = std::min(b.size, last + kMaxLine + 1);
    const std::uint64_t held = std::min(b.to, limit);
    const char* end = FindLineEnd(b.Ptr(stop), b.Ptr(held));
    if (end != b.Ptr(held)) {
        extent.end = stop + static_cast<std::uint64_t>(end - b.Ptr(stop)) + 1;
    } else if (held < limit) {
        extent.need = limit;
    } else if (held == b.size && held - last <= kMaxLine) {
        extent.end = b.size; // the log's last line, without a line end
    }
    return extent;
}

} // namespace

LogBlocks::LogBlocks(std::FILE* file, std::size_t blockSize, std::size_t inFlight, bool map)
    : file_(file), blockSize_(std::max<std::size_t>(blockSize, 1)) {
#ifdef _WIN32
    (void)map;
    if (_fseeki64(file, 0, SEEK_END) != 0) {
        error_ = errno != 0 ? errno : EIO;
        return;
    }
    fileSize_ = static_cast<std::uint64_t>(_ftelli64(file));
#else
    struct stat status {};
    if (::fstat(fileno(file), &status) != 0) {
        error_ = errno;
        return;
    }
    fileSize_ = static_cast<std::uint64_t>(status.st_size);
    mapped_ = map && S_ISREG(status.st_mode) && fileSize_ > 0;
#endif
    count_ = (fileSize_ + blockSize_ - 1) / blockSize_;
    blocksPerWindow_ = std::max<std::uint64_t>(1, kWindowBytes / blockSize_);
    windows_.resize(inFlight + 2);
}

std::size_t LogBlocks::Capacity() const {
    return blockSize_ + 1 + kMaxLine + 1 + kReadPast;
}

const LogBlocks::Window& LogBlocks::WindowOf(std::uint64_t k) const {
    const std::uint64_t segment = k / blocksPerWindow_;
    return windows_[segment % windows_.size()];
}

void LogBlocks::Prepare(std::uint64_t k) {
    const std::uint64_t segment = k / blocksPerWindow_;
    Window& window = windows_[segment % windows_.size()];
    if (!mapped_ || window.segment == segment) {
        return;
    }
    // From the byte before the first block (to tell whether it begins a line)
    // to as far as the last block's last line may reach.
    const std::uint64_t start = segment * blocksPerWindow_ * blockSize_;
    const std::uint64_t stop = std::min(fileSize_, (segment + 1) * blocksPerWindow_ * blockSize_);
    const std::uint64_t from = start == 0 ? 0 : MappedWindow::PageStart(start - 1);
    const std::uint64_t to = std::min(fileSize_, stop + kMaxLine + 2);
    window.segment = segment;
    if (!window.map.Map(fileno(file_), from, static_cast<std::size_t>(to - from), false)) {
        // This block and the later ones are read into their buffers.
        window.segment = UINT64_MAX;
        mapped_ = false;
    }
}

void LogBlocks::Done(std::uint64_t k) {
    const std::uint64_t segment = k / blocksPerWindow_;
    const bool lastOfWindow = (k + 1) % blocksPerWindow_ == 0 || k + 1 == count_;
    Window& window = windows_[segment % windows_.size()];
    if (lastOfWindow && window.segment == segment) {
        window.map.Unmap();
        window.segment = UINT64_MAX;
    }
}

bool LogBlocks::ReadAt(std::uint64_t offset, char* to, std::size_t size, std::size_t& got) const {
    got = 0;
#ifdef _WIN32
    static std::mutex oneAtATime; // the stream's position is shared
    const std::lock_guard lock(oneAtATime);
    if (_fseeki64(file_, static_cast<long long>(offset), SEEK_SET) != 0) {
        return false;
    }
    got = std::fread(to, 1, size, file_);
    return got == size || !std::ferror(file_);
#else
    while (got < size) {
        const ssize_t n =
            ::pread(fileno(file_), to + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            break; // the log is shorter now: it ends here
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
#endif
}

bool LogBlocks::Read(std::uint64_t k, std::unique_ptr<char[]>& owned, BlockRead& read) const {
    read = {};
    const std::uint64_t start = k * blockSize_;
    const std::uint64_t stop = std::min(fileSize_, start + blockSize_);
    const std::uint64_t from = start == 0 ? 0 : start - 1;
    const Window& window = WindowOf(k);
    if (window.map.Mapped() && window.segment == k / blocksPerWindow_) {
        const MappedWindow& map = window.map;
        const FileBytes bytes{map.Data(), map.Offset(), map.Offset() + map.Size(), fileSize_};
        const Extent extent = FindExtent(bytes, start, stop);
        read.lines = std::string_view(bytes.Ptr(extent.begin), extent.end - extent.begin);
        return true;
    }
    if (!owned) {
        // Only the pages the block's bytes fill are ever touched.
        owned = std::make_unique_for_overwrite<char[]>(Capacity());
    }
    char* const buffer = owned.get();
    std::uint64_t to = std::min(fileSize_, stop + kReadPast);
    std::uint64_t size = fileSize_;
    std::size_t held = 0;
    for (;;) {
        const auto want = static_cast<std::size_t>(to - from) - held;
        std::size_t got = 0;
        errno = 0;
        if (!ReadAt(from + held, buffer + held, want, got)) {
            read.error = errno != 0 ? errno : EIO;
            return false;
        }
        held += got;
        read.bufferUsed = held;
        if (got < want) {
            size = from + held; // the log is shorter now: it ends here
        }
        const FileBytes bytes{buffer, from, from + held, size};
        const std::uint64_t blockStop = std::min(stop, size);
        if (start >= blockStop) {
            return true; // nothing of the block is left
        }
        const Extent extent = FindExtent(bytes, start, blockStop);
        if (extent.need == 0) {
            read.lines = std::string_view(bytes.Ptr(extent.begin), extent.end - extent.begin);
            return true;
        }
        to = extent.need;
    }
}

} // namespace zum
