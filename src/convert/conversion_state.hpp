#pragma once

#include "short_text.hpp"

#include <cstdint>
#include <string_view>

namespace zum {

// The state one conversion shares between its sentences. It outlives a run:
// the window owns one for as long as it is open, so the at-stops latch, the
// stop count, PointFlag and the last position carry from one run into the
// next; a run itself clears only the reference position. Flags hold -1 (true)
// or 0.
struct ConversionState {
    std::string_view NmeaLine;  // the line being processed; empty between runs
    std::int16_t PointFlag = 0; // the last $GPRMC position got waypoints
    NumberText LastLatText;     // last processed position, empty until the first
    NumberText LastLonText;
    NumberText RefLatText; // reference for the interval tests, empty = none
    NumberText RefLonText;
    std::int16_t IntervalReached = 0; // at-stops latch
    std::int16_t StopCount = 0;       // consecutive standing-still positions
    ShortText<16> LocalTimeText;      // HHMMSS of the last position
    NumberText SpeedText;             // speed of the last position, one decimal

    // The four position texts as numbers, kept with them so that the
    // distance test does not read the texts again for every sentence.
    double LastLatValue = 0, LastLonValue = 0, RefLatValue = 0, RefLonValue = 0;

    // What the window does at start-up: no reference, all flags and counts 0.
    void Clear() {
        RefLatText.clear();
        RefLonText.clear();
        PointFlag = 0;
        IntervalReached = 0;
        StopCount = 0;
    }
};

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

} // namespace zum
