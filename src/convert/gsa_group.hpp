#pragma once

#include "conversion_state.hpp"
#include "draw_files.hpp"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zum {

// The fix reports of one second when every talker is read. Such receivers
// send one GSA line per satellite system each second; the lines between two
// position reports (or after the last one) form a group, and a finished group
// writes at most one satellite count and one 2-D marker, at the last position:
//
// - the count, while PointFlag is true, is the number of distinct satellites
//   named in fields 3 to 14 of the group's lines. A field names a satellite
//   when it reads as a number greater than 0; two fields name the same one
//   when their numbers are equal and their lines carry the same system
//   identifier (field 18 up to "*", empty before NMEA 4.10). So $GPGSA and
//   $GNGSA naming satellite 5 count it once; Galileo 27 and BeiDou 27 twice.
// - the marker is written when no line of the group holds "A,3".
//
// Memory is fixed. Whole satellite numbers 1 to 255 of up to kSystems
// systems are kept as one bit each; any other number, or one of a further
// system, goes to a table of kCapacity satellites, room for 85 lines of 12
// distinct ones. Satellites past a full table are still counted but not
// remembered, so only such an outsized group could count one twice.
class GsaGroup {
public:
    static constexpr std::size_t kCapacity = 1024;
    static constexpr std::size_t kSystems = 16;

    // Adds a fix report line to the open group. `pointFlag` is PointFlag as
    // it stands: only position reports change it, and they finish the group
    // first, so it holds for the whole group. While it is false the count is
    // never written, and the satellites are not read at all.
    void Add(std::string_view line, std::int16_t pointFlag);
    // Writes the open group's records, if it has any lines, and starts afresh.
    void Finish(const ConversionState& state, DrawFiles& out);

    [[nodiscard]] bool Empty() const { return lines_ == 0; }

private:
    struct Satellite {
        double number;
        std::uint64_t system; // the identifier's bytes, or a hash of a longer one
        std::uint32_t systemLength;
        bool operator==(const Satellite&) const = default;
    };
    struct System {
        std::uint64_t key;
        std::uint32_t length;
        std::bitset<256> numbers; // the whole numbers 1 to 255 seen
    };

    void countSatellite(const Satellite& satellite);

    std::array<System, kSystems> systems_;
    std::size_t systemsUsed_ = 0;
    std::array<Satellite, kCapacity> seen_;
    std::size_t stored_ = 0;
    int count_ = 0;
    std::uint64_t lines_ = 0;
    bool threeD_ = false;
};

} // namespace zum
