#pragma once

#include "conversion_run.hpp"

#include <cstddef>

namespace zum {

struct ParallelOptions {
    unsigned threads = 2; // worker threads reading sentences; 1 is ConvertLog itself
    // Bytes read for each block the workers take; blocks end at line ends.
    std::size_t chunkSize = 256 * 1024;
};

// ConvertLog for settings that stay fixed for the run, with the reading of
// sentences (lines, fields, numbers, coordinate texts) spread over worker
// threads. One pass, in input order, then decides the waypoints and writes,
// through the same functions as ConvertLog, so the outputs are byte for byte
// the same at every thread count. Memory stays bounded: a few blocks in
// flight, whatever the size of the log.
RunResult ConvertLogInParallel(const ConversionJob& job, const LiveSettings& settings,
                               ConversionState& state, const ParallelOptions& options);

} // namespace zum
