#include "convert/line_reader.hpp"

#include "convert/line_end.hpp"
#include "convert/sentence_start.hpp"

#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zum {

LineReader::LineReader(std::FILE* input, bool mapped) : input_(input) {
#ifndef _WIN32
    struct stat status {};
    if (mapped && input != nullptr && ::fstat(::fileno(input), &status) == 0 &&
        S_ISREG(status.st_mode) && ::ftello(input) == 0) {
        mappedFd_ = ::fileno(input);
        data_ = "";
        return;
    }
#else
    (void)mapped;
#endif
    buffer_ = std::make_unique_for_overwrite<char[]>(kCapacity);
    data_ = buffer_.get();
}

// Maps the window anew so that it begins with the page holding begin_ and
// reaches as far into the file as it now goes (at most kWindow bytes).
bool LineReader::remap() {
#ifndef _WIN32
    struct stat status {};
    if (::fstat(mappedFd_, &status) != 0) {
        failed_ = true;
        error_ = errno;
        eof_ = true;
        return false;
    }
    const unsigned long long fileSize = static_cast<unsigned long long>(status.st_size);
    const unsigned long long from = MappedWindow::PageStart(windowOffset_ + begin_);
    if (fileSize <= windowOffset_ + end_) {
        eof_ = true; // nothing more than what the window holds
        return false;
    }
    const std::size_t size =
        static_cast<std::size_t>(std::min<unsigned long long>(fileSize - from, kWindow));
    // The old window goes first, so two are never mapped at once: the new one
    // maps the unfinished line again from the kernel's cache.
    if (!window_.Map(mappedFd_, from, size, true)) {
        failed_ = true;
        error_ = errno;
        eof_ = true;
        data_ = "";
        begin_ = end_ = 0;
        nextEnd_ = kUnknown;
        return false;
    }
    const auto shift = static_cast<std::size_t>(from - windowOffset_);
    const std::size_t oldEnd = end_;
    windowOffset_ = from;
    data_ = window_.Data();
    begin_ -= shift;
    end_ = size;
    // A line end known before the old end keeps its place; "none before the
    // old end" is no longer the whole story.
    nextEnd_ = nextEnd_ == kUnknown || nextEnd_ >= oldEnd || nextEnd_ < shift ? kUnknown
                                                                              : nextEnd_ - shift;
    return true;
#else
    return false;
#endif
}

std::size_t LineReader::findLineEnd(std::size_t from) {
    if (nextEnd_ == kUnknown || nextEnd_ < from) {
        const char* base = data_;
        nextEnd_ = static_cast<std::size_t>(FindLineEnd(base + from, base + end_) - base);
    }
    return nextEnd_;
}

bool LineReader::refill() {
    if (eof_ || failed_) {
        return false;
    }
    if (mappedFd_ >= 0) {
        return remap();
    }
    if (kCapacity - end_ < kChunk) {
        // Move the unread rest to the front; the cached line-end positions move with it.
        const std::size_t shift = begin_;
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= shift;
        begin_ = 0;
        nextEnd_ = nextEnd_ == kUnknown || nextEnd_ < shift ? kUnknown : nextEnd_ - shift;
    }
    const std::size_t oldEnd = end_;
    errno = 0;
    const std::size_t got = std::fread(buffer_.get() + end_, 1, kCapacity - end_, input_);
    end_ += got;
    // A read can fail after part of the request arrived; the error is
    // noticed now, while errno still holds its cause (the stream's error flag
    // outlives it).
    if (std::ferror(input_)) {
        failed_ = true;
        error_ = errno != 0 ? errno : EIO;
        eof_ = true;
        return false;
    }
    if (got == 0) {
        eof_ = true;
        return false;
    }
    // "None before the old end" is no longer the whole story.
    if (nextEnd_ == oldEnd) {
        nextEnd_ = kUnknown;
    }
    return true;
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        if (begin_ == end_ && !refill()) {
            if (failed_) {
                return false;
            }
            if (begin_ == end_) {
                return false;
            }
        }
        if (skipLf_) {
            skipLf_ = false;
            if (data_[begin_] == '\n') {
                ++begin_;
                continue;
            }
        }
        const std::size_t stop = findLineEnd(begin_);
        if (stop == end_) {
            // No line end in the buffer.
            if (end_ - begin_ > kMaxLine) {
                discarding_ = true;
                begin_ = end_;
                continue;
            }
            if (refill()) {
                continue;
            }
            if (failed_) {
                return false;
            }
            // The last line of the input has no line end.
            const std::size_t start = begin_;
            begin_ = end_;
            if (discarding_ || end_ - start > kMaxLine) {
                discarding_ = false;
                return false;
            }
            line = std::string_view(data_ + start, end_ - start);
            return true;
        }
        const std::size_t start = begin_;
        begin_ = stop + 1;
        if (data_[stop] == '\r') {
            skipLf_ = true;
        }
        if (discarding_ || stop - start > kMaxLine) {
            discarding_ = false;
            continue;
        }
        line = std::string_view(data_ + start, stop - start);
        return true;
    }
}

// Moves `begin_` to the next line in the buffer that can be a sentence of
// interest, or, when there is none, to the start of the last, unfinished line.
void LineReader::passOver() {
    const char* base = data_;
    const char* from = base + begin_;
    const char* end = base + end_;
    const char* start = FindSentenceStart(from, end, !discarding_);
    if (start == end) {
        // No sentence starts whole in the buffer: keep only what follows the
        // last line end, which may be the start of one.
        start = end;
        while (start > from && start[-1] != '\n' && start[-1] != '\r') {
            --start;
        }
    }
    if (start == from) {
        return;
    }
    // A line end stands right before `start`, so whatever line was being
    // discarded or ended in CR has ended; the LF of a CR LF cut off by the
    // buffer's end still belongs to it.
    begin_ = static_cast<std::size_t>(start - base);
    discarding_ = false;
    skipLf_ = start == end && start[-1] == '\r';
}

bool LineReader::NextSentence(std::string_view& line) {
    if (begin_ < end_) {
        passOver();
    }
    return Next(line);
}

} // namespace zum
