#include "convert/fix_status.hpp"

#include "convert/nmea_fields.hpp"
#include "convert/numeric_value.hpp"

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

} // namespace zum
