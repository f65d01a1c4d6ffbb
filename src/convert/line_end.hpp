#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zum {

// The first CR or LF in [from, end), or end when there is none. One pass for
// both kinds of line end, sixteen bytes at a time where the processor allows;
// it never reads outside the range.
inline const char* FindLineEnd(const char* from, const char* end) {
    const char* p = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    // Thirty-two bytes a step while they last: most lines end within two.
    for (; end - p >= 32; p += 32) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const auto low = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(first, lf), _mm_cmpeq_epi8(first, cr))));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(second, lf), _mm_cmpeq_epi8(second, cr))));
        const unsigned mask = low | (high << 16);
        if (mask != 0) {
            return p + __builtin_ctz(mask);
        }
    }
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)));
        if (mask != 0) {
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n' || *p == '\r') {
            return p;
        }
    }
    return end;
}

} // namespace zum
