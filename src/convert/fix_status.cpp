#include "convert/fix_status.hpp"

#include "convert/nmea_fields.hpp"
#include "convert/numeric_value.hpp"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zum {

namespace {

// Whether a satellite field reads as a number greater than 0. Receivers send
// two or three digits; anything else takes the general reading.
bool InUse(std::string_view field) {
    bool nonzero = false;
    for (const char c : field) {
        if (c < '0' || c > '9') {
            return NumericValue(field) > 0.0;
        }
        nonzero = nonzero || c != '0';
    }
    return nonzero;
}

} // namespace

int SatellitesInUse(std::string_view line) {
    // Empty fields read as 0 and do not count, exactly as if each ",," had
    // first been filled to ",0,"; so the line is not rewritten.
    const NmeaFields fields(line, 15); // up to the last satellite
    int count = 0;
    for (int k = 3; k <= 14 && fields.Has(k); ++k) {
        if (InUse(fields[k])) {
            ++count;
        }
    }
    return count;
}

// $GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B
// Fields 1 and 2 (mode and fix type) are passed over; 3 to 14 name the
// satellites used in the fix. The fix type does not change the count.
void ProcessGSA(const ConversionState& state, DrawFiles& out) {
    out.SatWaypoint(state.LastLatText, state.LastLonText, SatellitesInUse(state.NmeaLine));
}

bool AutomaticThreeD(std::string_view line) {
#if defined(__SSE2__)
    // Sixteen places at a time where "A,3" may begin, the last step ending
    // at the line's end: most reports have it at the eighth byte, and the
    // others are looked through without a library call.
    constexpr std::size_t kStep = 16;
    constexpr std::size_t kReach = kStep + 2; // bytes a step reads
    if (line.size() >= kReach) {
        const __m128i a = _mm_set1_epi8('A');
        const __m128i comma = _mm_set1_epi8(',');
        const __m128i three = _mm_set1_epi8('3');
        const auto bytesAt = [&](std::size_t at) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + at));
        };
        const std::size_t last = line.size() - kReach;
        for (std::size_t at = 0;; at = std::min(at + kStep, last)) {
            const __m128i found =
                _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(bytesAt(at), a),
                                            _mm_cmpeq_epi8(bytesAt(at + 1), comma)),
                              _mm_cmpeq_epi8(bytesAt(at + 2), three));
            if (_mm_movemask_epi8(found) != 0) {
                return true;
            }
            if (at == last) {
                return false;
            }
        }
    }
#endif
    return line.find("A,3") != std::string_view::npos;
}

} // namespace zum
