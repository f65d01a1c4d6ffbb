#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zum {

// The fields of a sentence, counted from 0 for the "$GPxxx" tag: field k is
// the text between the k-th comma and the next one. Fields 0 to last - 1 are
// located (at most kMax); the last one found ends at the line's end when no
// comma follows.
class NmeaFields {
public:
    static constexpr int kMax = 16;

    explicit NmeaFields(std::string_view line, int last = kMax) {
        std::size_t start = 0;
#if defined(__SSE2__)
        // The commas of sixteen bytes at a time as a bit mask, one field per bit.
        const __m128i comma = _mm_set1_epi8(',');
        for (std::size_t base = 0; base < line.size(); base += 16) {
            __m128i block;
            if (line.size() - base >= 16) {
                block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + base));
            } else {
                char tail[16] = {};
                std::memcpy(tail, line.data() + base, line.size() - base);
                block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tail));
            }
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, comma)));
            while (mask != 0) {
                const std::size_t i = base + static_cast<std::size_t>(__builtin_ctz(mask));
                mask &= mask - 1;
                fields_[count_++] = {line.data() + start, i - start};
                start = i + 1;
                if (count_ == last) {
                    return;
                }
            }
        }
#else
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == ',') {
                fields_[count_++] = {line.data() + start, i - start};
                start = i + 1;
                if (count_ == last) {
                    return;
                }
            }
        }
#endif
        fields_[count_++] = {line.data() + start, line.size() - start};
    }

    // Whether field k exists, that is, the line has at least k commas.
    [[nodiscard]] bool Has(int k) const {
        return k < count_;
    }
    [[nodiscard]] std::string_view operator[](int k) const {
        return Has(k) ? std::string_view(fields_[k].data, fields_[k].size) : std::string_view();
    }

private:
    // Left uninitialised: only the first count_ are ever read, and clearing
    // the whole table for every sentence costs more than splitting it.
    struct Field {
        const char* data;
        std::size_t size;
    };
    Field fields_[kMax];
    int count_ = 0;
};

} // namespace zum
