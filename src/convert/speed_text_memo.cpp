#include "convert/speed_text_memo.hpp"

#include "convert/decimal_text.hpp"
#include "convert/numeric_value.hpp"

#include <cstring>

namespace zum {

void SpeedTextMemo::Text(std::string_view field, double factor, NumberText& text) {
    if (field.empty() || field.size() > 7) {
        SpeedText(NumericValue(field) * factor, text);
        return;
    }
    // The bytes in the low seven bytes and the length in the top one: never
    // 0, and equal only for equal fields. Gathered in a register: a copy
    // through memory of a varying length would be read back before it lands.
    std::uint64_t key = static_cast<std::uint64_t>(field.size()) << 56;
    for (std::size_t i = 0; i < field.size(); ++i) {
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(field[i])) << (8 * i);
    }
    Entry& entry = entries_[(key * 0x9E3779B97F4A7C15ULL) >> (64 - kBits)];
    if (entry.key == key && entry.factor == factor) {
        std::memcpy(text.overwrite(entry.size), entry.text, sizeof entry.text);
        return;
    }
    SpeedText(NumericValue(field) * factor, text);
    if (text.size() <= sizeof entry.text) {
        entry.key = key;
        entry.factor = factor;
        entry.size = static_cast<std::uint8_t>(text.size());
        std::memcpy(entry.text, text.view().data(), text.size());
    }
}

} // namespace zum
