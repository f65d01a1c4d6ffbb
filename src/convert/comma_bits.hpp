#pragma once

#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zum {

// The commas of a sentence as bits: byte i of the line is bit i % 64 of
// word i / 64. Sentences are short, so two words hold all but odd ones.
struct CommaBits {
    static constexpr std::size_t kMaxLine = 128;
    std::uint64_t word[2] = {0, 0};
};

// The comma bits of `line`, sixteen bytes at a time, the last sixteen ending
// at the line's end (so nothing outside the line is read). False, and
// nothing found, for a line shorter than sixteen bytes or longer than
// CommaBits::kMaxLine, or where the processor has no 16-byte compares.
inline bool FindCommas(std::string_view line, CommaBits& commas) {
#if defined(__SSE2__)
    const std::size_t size = line.size();
    if (size < 16 || size > CommaBits::kMaxLine) {
        return false;
    }
    const __m128i comma = _mm_set1_epi8(',');
    const auto bitsAt = [&](std::size_t at) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + at));
        return static_cast<std::uint64_t>(
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, comma))));
    };
    std::size_t at = 0;
    for (; at + 16 <= size; at += 16) {
        commas.word[at / 64] |= bitsAt(at) << (at % 64);
    }
    if (at < size) {
        // The last sixteen bytes, without the ones the steps above covered.
        const std::uint64_t bits = bitsAt(size - 16) >> (at + 16 - size);
        commas.word[at / 64] |= bits << (at % 64);
    }
    return true;
#else
    (void)line;
    (void)commas;
    return false;
#endif
}

// The number of set bits, without the library call std::popcount becomes on
// processors without a popcount instruction.
inline int CountBits64(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

} // namespace zum
