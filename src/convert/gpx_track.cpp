#include "convert/gpx_track.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace zum {
namespace {

// A point's record: a flags byte, the lengths of its latitude and longitude
// texts (seven bits a byte, low bits first, the high bit set on every byte
// but the last), then for a point with a time: the date part (a length byte
// and the text) when it differs from the one before, and the rest of the
// time (a length byte and the text).
constexpr unsigned char kSkipped = 1;
constexpr unsigned char kNewSegment = 2;
constexpr unsigned char kHasTime = 4;
constexpr unsigned char kNewDate = 8;

// "2006-05-11T" of "2006-05-11T19:03:36Z".
constexpr std::size_t kDatePart = 11;
// Longer times are cut: a time text has about 30 bytes at most.
constexpr std::size_t kMaxTime = 64;
constexpr std::size_t kMaxRecord = 1 + 2 * 10 + 2 + kMaxTime;

char* PutLength(char* at, std::uint64_t length) {
    while (length >= 0x80) {
        *at++ = static_cast<char>(0x80 | (length & 0x7F));
        length >>= 7;
    }
    *at++ = static_cast<char>(length);
    return at;
}

void Put(char*& at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
}

// The longest "lat,lon" line read back: far more than any coordinate texts.
constexpr std::size_t kMaxLine = 4096;

// Copies `size` bytes; `from` may be read, and `to` written, up to
// Reader::kSlack bytes past them.
void PutSlack(char*& to, const char* from, std::size_t size);

// A file read from the start through a buffer that always holds whole items.
class Reader {
public:
    // Bytes after the end of what was read that may be read too (and are
    // never used): short texts are copied that many bytes at a time.
    static constexpr std::size_t kSlack = 32;

    explicit Reader(const std::filesystem::path& path)
        : file_(std::fopen(path.string().c_str(), "rb")),
          buffer_(std::make_unique_for_overwrite<char[]>(kSize + kSlack)), at_(buffer_.get()),
          end_(buffer_.get()) {}
    ~Reader() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    [[nodiscard]] bool Opened() const { return file_ != nullptr; }
    [[nodiscard]] bool Failed() const { return file_ == nullptr || std::ferror(file_) != 0; }

    // At least `n` bytes from At() on, unless the file ends sooner; false
    // when the bytes there are fewer than `n`.
    bool Ensure(std::size_t n) {
        if (end_ - at_ >= static_cast<std::ptrdiff_t>(n)) {
            return true;
        }
        if (atEnd_ || n > kSize) {
            return false;
        }
        const auto held = static_cast<std::size_t>(end_ - at_);
        std::memmove(buffer_.get(), at_, held);
        at_ = buffer_.get();
        end_ = at_ + held;
        const std::size_t got = std::fread(buffer_.get() + held, 1, kSize - held, file_);
        end_ += got;
        atEnd_ = got < kSize - held;
        return end_ - at_ >= static_cast<std::ptrdiff_t>(n);
    }
    bool Skip(std::uint64_t n) {
        while (n > kSize) {
            if (!Ensure(kSize)) {
                return false;
            }
            at_ += kSize;
            n -= kSize;
        }
        if (!Ensure(n)) {
            return false;
        }
        at_ += n;
        return true;
    }
    [[nodiscard]] bool Empty() { return !Ensure(1); }

    const char* At() const { return at_; }
    const char* End() const { return end_; }
    void Take(std::size_t n) { at_ += n; }

private:
    static constexpr std::size_t kSize = 256 * 1024;
    std::FILE* file_;
    std::unique_ptr<char[]> buffer_;
    const char* at_;
    const char* end_;
    bool atEnd_ = false;
};

bool GetLength(const char*& at, const char* end, std::uint64_t& length) {
    if (at != end && static_cast<unsigned char>(*at) < 0x80) {
        length = static_cast<unsigned char>(*at++); // the usual one-byte length
        return true;
    }
    length = 0;
    for (int shift = 0; at != end && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        length |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

bool GetText(const char*& at, const char* end, char* text, std::size_t& size) {
    if (at == end) {
        return false;
    }
    const auto length = static_cast<unsigned char>(*at++);
    if (length > kMaxTime || end - at < length) {
        return false;
    }
    char* to = text;
    PutSlack(to, at, length); // `text` has room for the slack
    at += length;
    size = length;
    return true;
}

void PutSlack(char*& to, const char* from, std::size_t size) {
    if (size <= Reader::kSlack) {
        std::memcpy(to, from, Reader::kSlack); // one fixed-size copy
    } else {
        std::memcpy(to, from, size);
    }
    to += size;
}

} // namespace

bool GpxTrack::Create(const std::filesystem::path& besidePath, std::string& error) {
    points_ = 0;
    date_.clear();
    return file_.Create(besidePath, error, OutputFile::Use::Scratch);
}

void GpxTrack::add(unsigned char flags, std::size_t latSize, std::size_t lonSize,
                   std::string_view time) {
    char* const record = file_.Room<kMaxRecord>();
    char* at = record + 1;
    at = PutLength(at, latSize);
    at = PutLength(at, lonSize);
    if (!time.empty()) {
        flags |= kHasTime;
        time = time.substr(0, kMaxTime);
        const std::string_view date = time.substr(0, kDatePart);
        // A fixed-size comparison for the usual date part, which the
        // compiler makes a few loads.
        const bool sameDate = date.size() == kDatePart && date_.size() == kDatePart
                                  ? std::memcmp(date.data(), date_.view().data(), kDatePart) == 0
                                  : date == date_.view();
        if (!sameDate) {
            flags |= kNewDate;
            date_ = date;
            *at++ = static_cast<char>(date.size());
            Put(at, date);
        }
        const std::string_view rest = time.substr(date.size());
        *at++ = static_cast<char>(rest.size());
        Put(at, rest);
    }
    record[0] = static_cast<char>(flags);
    file_.Advance(static_cast<std::size_t>(at - record));
    ++points_;
}

void GpxTrack::Add(std::size_t latSize, std::size_t lonSize, std::string_view time,
                   bool newSegment) {
    add(newSegment ? kNewSegment : 0, latSize, lonSize, time);
}

void GpxTrack::Skip(std::size_t latSize, std::size_t lonSize) {
    add(kSkipped, latSize, lonSize, {});
}

bool GpxTrack::WriteTo(OutputFile& out, const OutputFile& draw, std::uint64_t from,
                       std::string& error) {
    if (!file_.Flush(error)) {
        return false;
    }
    Reader records(file_.TemporaryPath());
    Reader lines(draw.TemporaryPath());
    const auto fail = [&error](const std::filesystem::path& path, std::string_view why) {
        error = "cannot read back " + path.string() + ": " + std::string(why);
        return false;
    };
    if (!records.Opened() || !lines.Opened()) {
        return fail(records.Opened() ? draw.TemporaryPath() : file_.TemporaryPath(),
                    std::generic_category().message(errno));
    }
    if (!lines.Skip(from)) {
        return fail(draw.TemporaryPath(), "too short");
    }
    // Room for the time's texts to be copied Reader::kSlack bytes at a time.
    char date[kMaxTime + Reader::kSlack], rest[kMaxTime + Reader::kSlack];
    std::size_t dateSize = 0, restSize = 0;
    std::uint64_t points = 0;
    while (true) {
        records.Ensure(kMaxRecord);
        const char* at = records.At();
        const char* const end = records.End();
        if (at == end) {
            break;
        }
        const auto flags = static_cast<unsigned char>(*at++);
        std::uint64_t latSize = 0, lonSize = 0;
        if (!GetLength(at, end, latSize) || !GetLength(at, end, lonSize) ||
            ((flags & kNewDate) != 0 && !GetText(at, end, date, dateSize)) ||
            ((flags & kHasTime) != 0 && !GetText(at, end, rest, restSize))) {
            return fail(file_.TemporaryPath(), "damaged");
        }
        records.Take(static_cast<std::size_t>(at - records.At()));
        ++points;
        // The draw file's line: "lat,lon" CR LF.
        const std::uint64_t lineSize = latSize + lonSize + 3;
        if (lineSize > kMaxLine || !lines.Ensure(lineSize)) {
            return fail(draw.TemporaryPath(), "too short");
        }
        const char* const line = lines.At();
        if (line[latSize] != ',' || line[lineSize - 2] != '\r' || line[lineSize - 1] != '\n') {
            return fail(draw.TemporaryPath(), "not the track");
        }
        lines.Take(lineSize);
        if ((flags & kSkipped) != 0) {
            continue;
        }
        char* const text = out.Room<kMaxLine + 2 * kMaxTime + 128>();
        char* put = text;
        if ((flags & kNewSegment) != 0) {
            Put(put, "    </trkseg>\r\n    <trkseg>\r\n");
        }
        Put(put, "      <trkpt lat=\"");
        PutSlack(put, line, latSize);
        Put(put, "\" lon=\"");
        PutSlack(put, line + latSize + 1, lonSize);
        if ((flags & kHasTime) != 0) {
            Put(put, "\"><time>");
            PutSlack(put, date, dateSize);
            PutSlack(put, rest, restSize);
            Put(put, "</time></trkpt>\r\n");
        } else {
            Put(put, "\"/>\r\n");
        }
        out.Advance(static_cast<std::size_t>(put - text));
    }
    if (records.Failed() || lines.Failed()) {
        return fail(records.Failed() ? file_.TemporaryPath() : draw.TemporaryPath(), "read failed");
    }
    if (points != points_) {
        return fail(file_.TemporaryPath(), "damaged");
    }
    return true;
}

} // namespace zum
