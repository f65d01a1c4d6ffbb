#pragma once

#include "conversion_run.hpp"

#include <cstddef>

namespace zum {

struct ParallelOptions {
    // Threads reading sentences, the sequential pass among them; 1 is
    // ConvertLog itself.
    unsigned threads = 2;
    // Bytes of log in each block: a block holds the lines that begin in it.
    std::size_t chunkSize = 256 * 1024;
};

// ConvertLog for settings that stay fixed for the run, with the reading of
// sentences (lines, fields, numbers, coordinate texts) spread over threads.
// One pass, in input order, then decides the waypoints and writes,
// through the same functions as ConvertLog, so the outputs are byte for byte
// the same at every thread count. Memory stays bounded: a few blocks in
// flight, whatever the size of the log. With job.mapInput the log is read
// through a mapping (see LogBlocks). A log that is not a regular file, or is
// only a block or two long, takes ConvertLog.
RunResult ConvertLogInParallel(const ConversionJob& job, const LiveSettings& settings,
                               ConversionState& state, const ParallelOptions& options);

} // namespace zum
