// The core's number texts against the C library doing the same job:
// CoordinateText against snprintf("%.15g") and NumericValue against strtod.

#include "convert/decimal_text.hpp"
#include "convert/numeric_value.hpp"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace {

// Coordinates as a drive around Reno gives them.
constexpr std::array<double, 8> kCoordinates{
    39.5145133333333, -119.85898,      39.50909, -119.90322,
    39.6351766666667, -119.8766383333, .5,       -119.00000166667};

// Fields as they stand in $GPRMC and $GPGSA sentences (strtod stops at the comma).
constexpr std::array<const char*, 8> kFields{"3930.8708,N", "11951.5388,W", "0.0,216.7",
                                             "37.4,54.4",   "216.7,110506", "05,06,07",
                                             "2.3,1.3",     "190334,A"};

void CoordinateText(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        auto text = zum::CoordinateText(kCoordinates[i++ % kCoordinates.size()]);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(CoordinateText);

void SnprintfG15(benchmark::State& state) {
    std::size_t i = 0;
    char text[64];
    for (auto _ : state) {
        std::snprintf(text, sizeof text, "%.15g", kCoordinates[i++ % kCoordinates.size()]);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(SnprintfG15);

void NumericValue(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zum::NumericValue(kFields[i++ % kFields.size()]));
    }
}
BENCHMARK(NumericValue);

void Strtod(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strtod(kFields[i++ % kFields.size()], nullptr));
    }
}
BENCHMARK(Strtod);

} // namespace

BENCHMARK_MAIN();
