#pragma once

#include "line_end.hpp"
#include "line_reader.hpp"
#include "sentence_start.hpp"

#include <cstddef>
#include <string_view>

namespace zum {

// The lines of a block of whole lines (the last one may lack its end), as
// LineReader gives them: CR LF, LF and a lone CR each end a line, and a line
// longer than LineReader::kMaxLine is left out. A block that ends in CR while
// the next one begins with LF gives an extra empty line, which is no sentence.
class BlockLines {
public:
    BlockLines(const char* data, std::size_t size) : end_(data + size), next_(data) {}

    bool Next(std::string_view& line) {
        while (next_ < end_) {
            const char* start = next_;
            const char* stop = FindLineEnd(start, end_);
            next_ = stop;
            if (stop < end_) {
                next_ = stop + (*stop == '\r' && stop + 1 < end_ && stop[1] == '\n' ? 2 : 1);
            }
            const auto size = static_cast<std::size_t>(stop - start);
            if (size <= LineReader::kMaxLine) {
                line = std::string_view(start, size);
                return true;
            }
        }
        return false;
    }

    // The same, but the lines that cannot be an RMC or GSA sentence (see
    // FindSentenceStart) may be passed over without being returned.
    bool NextSentence(std::string_view& line) {
        next_ = FindSentenceStart(next_, end_, true);
        return Next(line);
    }

private:
    const char* end_;
    const char* next_;
};

} // namespace zum
