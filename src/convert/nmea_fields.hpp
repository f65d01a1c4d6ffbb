#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace zum {

// The fields of a sentence, counted from 0 for the "$GPxxx" tag: field k is
// the text between the k-th comma and the next one. Up to kMax fields are
// located; the last one found ends at the line's end when no comma follows.
class NmeaFields {
public:
    static constexpr int kMax = 16;

    explicit NmeaFields(std::string_view line) {
        const char* data = line.data();
        const char* const end = data + line.size();
        const char* start = data;
        while (count_ < kMax) {
            const void* comma = std::memchr(start, ',', static_cast<std::size_t>(end - start));
            const char* stop = comma != nullptr ? static_cast<const char*>(comma) : end;
            fields_[count_++] = std::string_view(start, static_cast<std::size_t>(stop - start));
            if (comma == nullptr) {
                break;
            }
            start = stop + 1;
        }
    }

    // Whether field k exists, that is, the line has at least k commas.
    [[nodiscard]] bool Has(int k) const { return k < count_; }
    [[nodiscard]] std::string_view operator[](int k) const {
        return Has(k) ? fields_[k] : std::string_view();
    }

private:
    std::string_view fields_[kMax];
    int count_ = 0;
};

} // namespace zum
