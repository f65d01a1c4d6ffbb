#pragma once

#include "comma_bits.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

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
        CommaBits commas;
        if (FindCommas(line, commas)) {
            // One field per comma bit, in the line's order.
            for (std::size_t w = 0; w < 2; ++w) {
                for (std::uint64_t bits = commas.word[w]; bits != 0; bits &= bits - 1) {
                    const std::size_t i = 64 * w + static_cast<std::size_t>(__builtin_ctzll(bits));
                    fields_[count_++] = {line.data() + start, i - start};
                    start = i + 1;
                    if (count_ == last) {
                        return;
                    }
                }
            }
        } else {
            for (std::size_t i = 0; i < line.size(); ++i) {
                if (line[i] == ',') {
                    fields_[count_++] = {line.data() + start, i - start};
                    start = i + 1;
                    if (count_ == last) {
                        return;
                    }
                }
            }
        }
        fields_[count_++] = {line.data() + start, line.size() - start};
    }

    // Whether field k exists, that is, the line has at least k commas.
    [[nodiscard]] bool Has(int k) const { return k < count_; }
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
