#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zum {

// The first p in [from, end) with "RMC" or "GSA" in p[0..2], all inside the
// range; end when there is none. Sixteen positions a step where the
// processor allows.
inline const char* FindSentenceType(const char* from, const char* end) {
    const char* p = from;
#if defined(__SSE2__)
    const __m128i r = _mm_set1_epi8('R');
    const __m128i m = _mm_set1_epi8('M');
    const __m128i c = _mm_set1_epi8('C');
    const __m128i g = _mm_set1_epi8('G');
    const __m128i s = _mm_set1_epi8('S');
    const __m128i a = _mm_set1_epi8('A');
    for (; end - p >= 18; p += 16) {
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
        const __m128i rmc = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(b0, r), _mm_cmpeq_epi8(b1, m)), _mm_cmpeq_epi8(b2, c));
        const __m128i gsa = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(b0, g), _mm_cmpeq_epi8(b1, s)), _mm_cmpeq_epi8(b2, a));
        const int mask = _mm_movemask_epi8(_mm_or_si128(rmc, gsa));
        if (mask != 0) {
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
#endif
    for (; end - p >= 3; ++p) {
        if (std::memcmp(p, "RMC", 3) == 0 || std::memcmp(p, "GSA", 3) == 0) {
            return p;
        }
    }
    return end;
}

// The first line start in [from, end) whose line can be an RMC or GSA
// sentence: '$', two bytes, then "RMC" or "GSA", standing at `from` (when
// `fromIsLineStart`) or right after a CR or LF. end when there is none. Every
// line that starts before the result (and after `from`) is one of no interest,
// so a reader may pass over all of them at once.
inline const char* FindSentenceStart(const char* from, const char* end, bool fromIsLineStart) {
    for (const char* p = from; end - p >= 6;) {
        const char* type = FindSentenceType(p + 3, end);
        if (type == end) {
            break;
        }
        const char* start = type - 3;
        if (*start == '$' &&
            (start == from ? fromIsLineStart : start[-1] == '\n' || start[-1] == '\r')) {
            return start;
        }
        p = start + 1;
    }
    return end;
}

} // namespace zum
