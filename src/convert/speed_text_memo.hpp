#pragma once

#include "short_text.hpp"

#include <cstdint>
#include <string_view>

namespace zum {

// The speed texts of the speed fields seen lately. A log's speed fields take
// a few hundred to a few thousand distinct texts ("0.0", "023.5") and the
// text depends only on the field and the unit's factor, so a small table
// answers most sentences without reading the number and rounding it. Fields longer than seven
// characters, and texts longer than fifteen, are worked out every time.
class SpeedTextMemo {
public:
    // The SpeedText of the field's value times `factor`.
    void Text(std::string_view field, double factor, NumberText& text);

private:
    struct Entry {
        std::uint64_t key = 0; // the field's bytes and length; 0: empty
        double factor = 0;
        std::uint8_t size = 0;
        char text[15];
    };
    static constexpr int kBits = 10;
    Entry entries_[1 << kBits] = {};
};

} // namespace zum
