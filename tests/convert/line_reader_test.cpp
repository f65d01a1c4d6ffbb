#include "convert/line_reader.hpp"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zum {
namespace {

std::vector<std::string> LinesOf(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    LineReader reader(file);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) {
        lines.emplace_back(line);
    }
    EXPECT_FALSE(reader.Failed());
    std::fclose(file);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, EveryKindOfLineEndEndsALine) {
    EXPECT_EQ(LinesOf(""), Lines{});
    EXPECT_EQ(LinesOf("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"})); // last line without an end
    EXPECT_EQ(LinesOf("\r\n\n\r"), (Lines{"", "", ""}));
    EXPECT_EQ(LinesOf("a\n\rb"), (Lines{"a", "", "b"})); // LF CR is two line ends
    EXPECT_EQ(LinesOf(std::string("a\0b\r\n", 5)), (Lines{std::string("a\0b", 3)}));
}

TEST(LineReader, LongLinesAndBufferBoundaries) {
    // Lines placed so that CR LF pairs and line ends straddle every possible
    // refill boundary; the reader must give back exactly the lines written.
    std::string bytes;
    Lines expected;
    for (int i = 0; bytes.size() < 3 * LineReader::kMaxLine; ++i) {
        std::string line(static_cast<std::size_t>(i % 1000), static_cast<char>('a' + i % 26));
        expected.push_back(line);
        bytes += line;
        bytes += i % 3 == 0 ? "\r\n" : (i % 3 == 1 ? "\n" : "\r");
    }
    EXPECT_EQ(LinesOf(bytes), expected);

    // A line of exactly the longest length is kept; a longer one is read past.
    const std::string longest(LineReader::kMaxLine, 'x');
    const std::string tooLong(LineReader::kMaxLine + 1, 'y');
    EXPECT_EQ(LinesOf("a\r\n" + longest + "\r\nb\r\n"), (Lines{"a", longest, "b"}));
    EXPECT_EQ(LinesOf("a\r\n" + tooLong + "\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf("a\r\n" + std::string(5 * LineReader::kMaxLine, 'z') + "\nb"),
              (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf("a\r\n" + tooLong), (Lines{"a"})); // overlong last line without an end
}

TEST(LineReader, ManyLinesEndingInLoneCrAreReadInLinearTime) {
    // A file whose lines all end in CR never meets an LF; the search for one
    // must not restart at every line (this would take minutes if it did).
    std::string bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes += "$GPRMC,1\r";
    }
    EXPECT_EQ(LinesOf(bytes).size(), 200000u);
}

#ifdef __linux__ // fopencookie
TEST(LineReader, AReadErrorKeepsItsOwnCause) {
    // A stream that gives some bytes, then fails as a stale network file
    // does, then reports an end.
    struct Source {
        int calls = 0;
    } source;
    cookie_io_functions_t io{};
    io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
        switch (static_cast<Source*>(cookie)->calls++) {
        case 0:
            return static_cast<ssize_t>(std::snprintf(buffer, size, "$GPRMC,1\r\n"));
        case 1:
            errno = ESTALE;
            return -1;
        default:
            return 0;
        }
    };
    std::FILE* file = fopencookie(&source, "r", io);
    ASSERT_NE(file, nullptr);
    LineReader reader(file);
    std::string_view line;
    while (reader.Next(line)) {
    }
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Error(), ESTALE);
    std::fclose(file);
}
#endif

} // namespace
} // namespace zum
