#include "convert/gsa_group.hpp"

#include "convert/nmea_fields.hpp"
#include "convert/numeric_value.hpp"

#include <cstring>
#include <limits>

namespace zum {
namespace {

// The system identifier: field 18 up to "*" (or the next comma); empty when
// the line has fewer fields.
std::string_view SystemIdentifier(std::string_view line) {
    constexpr int kSystemField = 18;
    int commas = 0;
    std::size_t i = 0;
    while (i < line.size() && commas < kSystemField) {
        if (line[i++] == ',') {
            ++commas;
        }
    }
    if (commas < kSystemField) {
        return {};
    }
    const std::size_t end = line.find_first_of(",*", i);
    return line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
}

// Identifiers are one hex digit in practice; up to eight bytes are kept as
// they are, a longer one as its 64-bit FNV-1a hash (with its length, which
// tells the two kinds apart).
std::uint64_t SystemKey(std::string_view id) {
    std::uint64_t key = 0;
    if (id.size() <= sizeof key) {
        if (!id.empty()) {
            std::memcpy(&key, id.data(), id.size());
        }
        return key;
    }
    key = 14695981039346656037ULL;
    for (const char c : id) {
        key = (key ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return key;
}

// The satellite number of a field; 0 when it names none. Receivers send two
// or three digits; anything else takes the general reading.
double SatelliteNumber(std::string_view field) {
    if (field.size() <= 9) {
        std::uint32_t number = 0;
        bool digits = true;
        for (const char c : field) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            number = number * 10 + static_cast<std::uint32_t>(c - '0');
        }
        if (digits) {
            return number;
        }
    }
    return NumericValue(field);
}

} // namespace

void GsaGroup::Add(std::string_view line) {
    ++lines_;
    threeD_ = threeD_ || line.find("A,3") != std::string_view::npos;

    const std::string_view id = SystemIdentifier(line);
    const std::uint64_t system = SystemKey(id);
    const auto systemLength = static_cast<std::uint32_t>(id.size());
    const NmeaFields fields(line, 15); // up to the last satellite
    for (int k = 3; k <= 14 && fields.Has(k); ++k) {
        const double number = SatelliteNumber(fields[k]);
        if (!(number > 0.0)) {
            continue;
        }
        const Satellite satellite{number, system, systemLength};
        bool known = false;
        for (std::size_t i = 0; i < stored_ && !known; ++i) {
            known = seen_[i] == satellite;
        }
        if (!known) {
            count_ += count_ < std::numeric_limits<int>::max() ? 1 : 0;
            if (stored_ < seen_.size()) {
                seen_[stored_++] = satellite;
            }
        }
    }
}

void GsaGroup::Finish(const ConversionState& state, DrawFiles& out) {
    if (lines_ == 0) {
        return;
    }
    if (state.PointFlag != kFalse) {
        out.SatWaypoint(state.LastLatText, state.LastLonText, count_);
    }
    if (!threeD_) {
        out.FixMarker(state.LastLatText, state.LastLonText);
    }
    stored_ = 0;
    count_ = 0;
    lines_ = 0;
    threeD_ = false;
}

} // namespace zum
