#include "convert/gsa_group.hpp"

#include "convert/fix_status.hpp"
#include "convert/numeric_value.hpp"

#include <cstring>
#include <limits>

namespace zum {
namespace {

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

void GsaGroup::Add(std::string_view line, std::int16_t pointFlag) {
    ++lines_;
    threeD_ = threeD_ || AutomaticThreeD(line);
    if (pointFlag == kFalse) {
        return;
    }

    // One pass over the fields: the satellites of fields 3 to 14, then the
    // system identifier, field 18 up to "*". A line cut short has the fields
    // it has; its last one runs to the end of the line.
    constexpr int kFirstSatellite = 3, kLastSatellite = 14, kSystemField = 18;
    std::array<double, kLastSatellite - kFirstSatellite + 1> numbers{};
    std::size_t named = 0;
    std::string_view id;
    int k = 0;
    for (std::size_t start = 0;; ++k) {
        std::size_t end = start;
        while (end < line.size() && line[end] != ',') {
            ++end;
        }
        const std::string_view field = line.substr(start, end - start);
        if (k >= kFirstSatellite && k <= kLastSatellite) {
            const double number = SatelliteNumber(field);
            if (number > 0.0) {
                numbers[named++] = number;
            }
        } else if (k == kSystemField) {
            id = field.substr(0, field.find('*'));
            break;
        }
        if (end == line.size()) {
            break;
        }
        start = end + 1;
    }

    const std::uint64_t key = SystemKey(id);
    const auto length = static_cast<std::uint32_t>(id.size());
    System* system = nullptr;
    for (std::size_t i = 0; i < systemsUsed_ && system == nullptr; ++i) {
        if (systems_[i].key == key && systems_[i].length == length) {
            system = &systems_[i];
        }
    }
    if (system == nullptr && systemsUsed_ < systems_.size()) {
        system = &systems_[systemsUsed_++];
        system->key = key;
        system->length = length;
        system->numbers.reset();
    }
    for (std::size_t j = 0; j < named; ++j) {
        const double number = numbers[j];
        const auto whole = static_cast<std::size_t>(number <= 255.0 ? number : 0.0);
        if (system != nullptr && whole != 0 && static_cast<double>(whole) == number) {
            if (!system->numbers.test(whole)) {
                system->numbers.set(whole);
                count_ += count_ < std::numeric_limits<int>::max() ? 1 : 0;
            }
        } else {
            countSatellite({number, key, length});
        }
    }
}

void GsaGroup::countSatellite(const Satellite& satellite) {
    for (std::size_t i = 0; i < stored_; ++i) {
        if (seen_[i] == satellite) {
            return;
        }
    }
    count_ += count_ < std::numeric_limits<int>::max() ? 1 : 0;
    if (stored_ < seen_.size()) {
        seen_[stored_++] = satellite;
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
    systemsUsed_ = 0;
    stored_ = 0;
    count_ = 0;
    lines_ = 0;
    threeD_ = false;
}

} // namespace zum
