#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace zum {

// Which talkers a run reads. GpOnly takes $GPRMC and $GPGSA alone, as logs
// have always been read; Any also takes $GNRMC, $GLGSA, $BDGSA, ... from
// receivers that track more than GPS.
enum class TalkerMode : std::uint8_t { GpOnly, Any };

enum class SentenceKind : std::uint8_t {
    Other,
    Position,        // a position report the run reads
    Fix,             // a fix report the run reads
    SkippedPosition, // a position report of another talker, passed over in GpOnly
};

// A line is a position report when it starts with "$", two letters A-Z (the
// talker) and "RMC", and a fix report when the same holds with "GSA".
// Lower-case talkers, digits and proprietary sentences ($PUBX) are neither.
// In GpOnly only the talker "GP" is read.
inline SentenceKind ClassifySentence(std::string_view line, TalkerMode mode) {
    if (line.size() < 6 || line[0] != '$') {
        return SentenceKind::Other;
    }
    const auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (!letter(line[1]) || !letter(line[2])) {
        return SentenceKind::Other;
    }
    const std::string_view type = line.substr(3, 3);
    const bool position = type == "RMC";
    if (!position && type != "GSA") {
        return SentenceKind::Other;
    }
    if (mode == TalkerMode::GpOnly && (line[1] != 'G' || line[2] != 'P')) {
        return position ? SentenceKind::SkippedPosition : SentenceKind::Other;
    }
    return position ? SentenceKind::Position : SentenceKind::Fix;
}

// The position reports a GpOnly run passed over, and which talkers sent them,
// so the user can be told that --talkers any would read them.
class SkippedTalkers {
public:
    // `line` is a line classified as SkippedPosition.
    void Add(std::string_view line) {
        ++count_;
        talkers_.set(static_cast<std::size_t>((line[1] - 'A') * 26 + (line[2] - 'A')));
    }
    [[nodiscard]] std::uint64_t Count() const { return count_; }
    // The skipped sentence names in alphabetical order: "$BDRMC, $GNRMC".
    [[nodiscard]] std::string Names() const;

private:
    std::uint64_t count_ = 0;
    std::bitset<26 * 26> talkers_;
};

} // namespace zum
