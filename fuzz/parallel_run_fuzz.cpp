// Differential fuzzing of the threaded conversion: every input log is
// converted at one thread and at two, with a small block size taken from the
// input so that lines and line ends fall on block edges, and the five outputs
// must be the same bytes.
//
// The first two bytes choose the block size and the settings; the rest is
// the log.

#include "convert/conversion_run.hpp"
#include "convert/parallel_run.hpp"
#include "fuzz_support.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using fuzz_support::Check;
using fuzz_support::ReadAll;

fs::path* folder = nullptr;

std::string Convert(const fs::path& log, const zum::LiveSettings& settings, zum::TalkerMode talkers,
                    unsigned threads, std::size_t chunk, bool mapped) {
    const fs::path stem = *folder / ("out" + std::to_string(threads));
    zum::ConversionState state;
    state.Clear();
    zum::ConversionJob job{log, stem};
    job.talkers = talkers;
    job.mapInput = mapped;
    const zum::RunResult result = zum::ConvertLogInParallel(job, settings, state, {threads, chunk});
    Check(result.status == zum::RunStatus::Done, "a run over a readable log is done");
    std::string bytes;
    for (const char* suffix : {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"}) {
        bytes += ReadAll(stem.string() + suffix);
        bytes += '|';
    }
    return bytes + std::to_string(result.skippedPositions) + result.skippedNames;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = new fs::path(fuzz_support::TempFolder("zum-fuzz-parallel"));
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(*folder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t chunk = 1 + data[0] % 97;
    const auto talkers = (data[0] & 0x80) != 0 ? zum::TalkerMode::Any : zum::TalkerMode::GpOnly;
    const bool mapped = (data[0] & 0x40) != 0;
    zum::LiveSettings settings;
    settings.markAtStops = (data[1] & 1) != 0;
    settings.intervalByTime = static_cast<std::int16_t>((data[1] >> 1) & 3);
    settings.intervalValue = (data[1] & 8) != 0 ? 0.0 : 15.0;
    settings.timeZoneOffset = static_cast<std::int16_t>(static_cast<std::int8_t>(data[1]) >> 4);
    const std::string_view log(reinterpret_cast<const char*>(data) + 2, size - 2);
    const fs::path input = *folder / "0511NMEA.TXT";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(log.data(), static_cast<std::streamsize>(log.size()));
    }
    Check(Convert(input, settings, talkers, 1, chunk, false) ==
              Convert(input, settings, talkers, 2, chunk, mapped),
          "the same outputs at one thread and at two");
    return 0;
}
