#include "convert/block_lines.hpp"
#include "convert/line_reader.hpp"
#include "convert/sentence_start.hpp"
#include "convert/talker.hpp"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace zum {
namespace {

using Lines = std::vector<std::string>;

// The lines of `bytes` read with Next or NextSentence, from a file (read, or
// mapped) or as one block; with `sentences`, only those of interest (any RMC
// or GSA sentence).
enum class Reading { Every, Sentences, MappedEvery, MappedSentences, Block };
Lines Read(const std::string& bytes, Reading how = Reading::Every, bool sentences = false) {
    const auto keep = [&](std::string_view line) {
        return !sentences || ClassifySentence(line, TalkerMode::Any) != SentenceKind::Other;
    };
    Lines lines;
    std::string_view line;
    if (how == Reading::Block) {
        BlockLines block(bytes.data(), bytes.size());
        while (block.NextSentence(line)) {
            if (keep(line)) {
                lines.emplace_back(line);
            }
        }
        return lines;
    }
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    const bool mapped = how == Reading::MappedEvery || how == Reading::MappedSentences;
    const bool every = how == Reading::Every || how == Reading::MappedEvery;
    LineReader reader(file, mapped);
    while (every ? reader.Next(line) : reader.NextSentence(line)) {
        if (keep(line)) {
            lines.emplace_back(line);
        }
    }
    EXPECT_FALSE(reader.Failed());
    std::fclose(file);
    return lines;
}
Lines LinesOf(const std::string& bytes) {
    return Read(bytes);
}
Lines SentencesOf(const std::string& bytes, Reading how) {
    return Read(bytes, how, true);
}

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

TEST(LineReader, PassingOverLinesKeepsEverySentence) {
    // Sentences among other lines, look-alikes ("RMC" inside a line, after a
    // '$' that starts no line, cut by a line end), short and empty lines,
    // every line end, and overlong lines (some starting like a sentence), in
    // a random order over several buffer refills.
    const std::vector<std::string> pieces = {
        "$GPRMC,1,A,3930.84,N,11951.54,W,0.0,271.5,110506,,*3D",
        "$GNGSA,A,3,32,18,,,2.3,1.5,1.8*3C",
        "$GPGGA,190334,3930.8400,N,11951.5400,W,2,10,1.5*48",
        "$GPGSV,3,1,10,32,63,069,36*7C",
        "x$GPRMC,1,A",
        "GPRMC,1,A",
        "$GPRM",
        "$\nGSA,",
        "$GP\rRMC,",
        "junk RMC GSA $GPRMC",
        "$GPGSA",
        "$RMC",
        "",
        "$GPRMC,1,A" + std::string(LineReader::kMaxLine, '9'),
        std::string(LineReader::kMaxLine - 5, 'z'),
    };
    const std::vector<std::string> ends = {"\r\n", "\n", "\r"};
    std::mt19937 random(511);
    std::string bytes;
    for (int i = 1; bytes.size() < 5 * LineReader::kMaxLine; ++i) {
        // An overlong line now and then, the rest at random.
        const std::size_t piece =
            i % 30000 == 0 ? pieces.size() - 1 - (i / 30000) % 2 : random() % (pieces.size() - 2);
        bytes += pieces[piece];
        bytes += ends[random() % ends.size()];
    }
    bytes += "$GPRMC,last";
    const Lines every = SentencesOf(bytes, Reading::Every);
    EXPECT_GT(every.size(), 10000U);
    EXPECT_EQ(SentencesOf(bytes, Reading::Sentences), every);
    EXPECT_EQ(SentencesOf(bytes, Reading::Block), every);
    EXPECT_EQ(SentencesOf(bytes, Reading::MappedSentences), every);
    // An overlong line of "$GPRMC"s: wherever a refill cuts it, what follows
    // the cut is still part of it, not a line start.
    for (std::size_t pad = 0; pad < 6; ++pad) {
        std::string overlong(pad, 'q');
        while (overlong.size() < 5 * LineReader::kMaxLine / 2) {
            overlong += "$GPRMC";
        }
        overlong += "\n$GPGSA,next\n";
        EXPECT_EQ(SentencesOf(overlong, Reading::Sentences), Lines{"$GPGSA,next"}) << pad;
    }
    // Short inputs: a sentence at the very start, at the end without a line
    // end, and the CR of a CR LF as the last byte.
    for (const std::string& small : {std::string("$GPRMC,1"), std::string("a\r\n$GPGSA,1\r"),
                                     std::string("$GPRMC\r"), std::string("RMC\n$GPRMC")}) {
        EXPECT_EQ(SentencesOf(small, Reading::Sentences), SentencesOf(small, Reading::Every))
            << small;
        EXPECT_EQ(SentencesOf(small, Reading::Block), SentencesOf(small, Reading::Every)) << small;
    }
}

TEST(LineReader, AMappedLogGivesTheLinesAReadOneGives) {
    // About 13 MB, so the mapped window moves on several times: lines of
    // every length up to the longest kept, and longer ones, with every line
    // end, shifted by a few bytes each round so that the window's edges fall
    // inside lines, between CR and LF, and inside overlong lines.
    std::mt19937 random(7);
    std::string body;
    const std::vector<std::string> ends = {"\r\n", "\n", "\r"};
    for (int i = 1; body.size() < 13'000'000; ++i) {
        std::size_t length = random() % 120;
        if (i % 20000 == 0) {
            length = LineReader::kMaxLine + (i / 20000) % 2 - 1; // the longest kept, or one more
        }
        body += (i % 3 == 0 ? "$GPRMC," : "$GPGGA,") + std::string(length, 'a' + i % 26);
        body += ends[random() % ends.size()];
    }
    for (const std::size_t shift : {0, 1, 4095, 4097}) {
        const std::string bytes = std::string(shift, 'p') + "\r\n" + body + "$GPRMC,last";
        const Lines read = LinesOf(bytes);
        EXPECT_EQ(Read(bytes, Reading::MappedEvery), read) << shift;
        EXPECT_EQ(SentencesOf(bytes, Reading::MappedSentences),
                  SentencesOf(bytes, Reading::Sentences))
            << shift;
    }
    EXPECT_EQ(Read("", Reading::MappedEvery), Lines{});
    EXPECT_EQ(Read("a\r", Reading::MappedEvery), Lines{"a"});
}

TEST(SentenceStart, TheWideAndNarrowSearchesAgree) {
    // Bytes drawn from the letters of the two types, so that near misses
    // ("RM", "GSC", "RMRMC") abound, searched from every start and to every
    // end near the wide search's 32-byte steps.
    std::mt19937 random(3);
    const char letters[] = "RMCGSA$,\n";
    std::string bytes(4096, ' ');
    for (char& c : bytes) {
        c = random() % 4 == 0 ? letters[random() % (sizeof letters - 1)] : 'x';
    }
    for (std::size_t from = 0; from < 100; ++from) {
        for (std::size_t end = from; end < bytes.size(); end += 1 + end % 37) {
            const char* begin = bytes.data() + from;
            const char* stop = bytes.data() + end;
            ASSERT_EQ(FindSentenceType(begin, stop, true), FindSentenceType(begin, stop, false))
                << from << " " << end;
        }
    }
}

} // namespace
} // namespace zum
