#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ZUM_AVX2_FILTER 1
#if __has_include(<sys/platform/x86.h>)
#include <sys/platform/x86.h>
#define ZUM_AVX2_FROM_LIBC 1
#else
#include <cpuid.h>
#endif
#endif

namespace zum {

#ifdef ZUM_AVX2_FILTER
// Whether the processor has AVX2 and the system saves its registers, asked
// once at start-up. Every CPUID is a trip to the hypervisor in a virtual
// machine: the C library has asked already, where it tells (glibc), and
// otherwise the three questions that take are asked, not the dozen of the
// compiler's own check.
inline const bool kFilterHasAvx2 = [] {
#ifdef ZUM_AVX2_FROM_LIBC
    return CPU_FEATURE_ACTIVE(AVX2);
#else
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) {
        return false;
    }
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & 6) != 6) {
        return false; // the system does not save the vector registers
    }
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (b & bit_AVX2) != 0;
#endif
}();

// FindSentenceType's 32-position steps, for processors with AVX2; what is
// left when fewer than 34 bytes remain is for the caller.
[[gnu::target("avx2")]] inline const char* FindSentenceTypeAvx2(const char* p, const char* end) {
    const __m256i r = _mm256_set1_epi8('R');
    const __m256i m = _mm256_set1_epi8('M');
    const __m256i c = _mm256_set1_epi8('C');
    const __m256i g = _mm256_set1_epi8('G');
    const __m256i s = _mm256_set1_epi8('S');
    const __m256i a = _mm256_set1_epi8('A');
    for (; end - p >= 34; p += 32) {
        const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
        const __m256i b2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2));
        const __m256i rmc =
            _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(b0, r), _mm256_cmpeq_epi8(b1, m)),
                             _mm256_cmpeq_epi8(b2, c));
        const __m256i gsa =
            _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(b0, g), _mm256_cmpeq_epi8(b1, s)),
                             _mm256_cmpeq_epi8(b2, a));
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(rmc, gsa)));
        if (mask != 0) {
            return p + __builtin_ctz(mask);
        }
    }
    return p;
}
#endif

// The first p in [from, end) with "RMC" or "GSA" in p[0..2], all inside the
// range; end when there is none. Sixteen positions a step where the
// processor allows, thirty-two with AVX2.
inline const char* FindSentenceType(const char* from, const char* end, bool wide = true) {
    const char* p = from;
#ifdef ZUM_AVX2_FILTER
    if (wide && kFilterHasAvx2) {
        p = FindSentenceTypeAvx2(p, end);
        if (end - p >= 34) {
            return p;
        }
    }
#else
    (void)wide;
#endif
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
