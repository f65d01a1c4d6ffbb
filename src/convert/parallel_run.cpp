#include "convert/parallel_run.hpp"

#include "convert/chunk_reader.hpp"
#include "convert/input_file.hpp"
#include "convert/output_set.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zum {
namespace {

// A sentence read by a worker: where its line stands in the block, and for a
// position the texts (kept in the block's text store) and values.
struct ReadSentence {
    std::uint32_t lineStart;
    std::uint32_t lineSize;
    LineKind kind;
    bool automatic3d;
    std::uint16_t latSize, lonSize, speedSize;
    std::uint32_t textStart;
    ShortText<16> localTime;
    double latValue, lonValue;
};

// At most this many sentences and text bytes are kept per block; a block with
// more (only very short lines or very long numbers give that) has its
// remaining lines read by the sequential pass itself.
constexpr std::size_t kMaxSentences = 8192;
constexpr std::size_t kTextCapacity = 128 * 1024;
// Blocks in flight may hold at most this many bytes of log, and there are at
// most kMaxBlocks blocks, so memory stays flat however many threads there are
// and however long the lines.
constexpr std::size_t kInFlightBudget = 4 * 1024 * 1024;
constexpr std::size_t kMaxBlocks = 10;

struct Block {
    enum class Stage { Free, Queued, Read };
    Stage stage = Stage::Free;
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::vector<ReadSentence> sentences;
    std::unique_ptr<char[]> texts;
    std::size_t textsUsed = 0;
    std::size_t readUpTo = 0; // bytes the sentences cover; the rest is read in sequence
};

void ReadBlock(Block& block, const LiveSettings& settings, TalkerMode mode) {
    block.sentences.clear();
    block.textsUsed = 0;
    BlockLines lines(block.data.get(), block.size);
    PositionReading position;
    std::string_view line;
    while (lines.NextSentence(line)) {
        const LineKind kind = ClassifyLine(line, mode);
        if (kind == LineKind::Other) {
            continue;
        }
        const auto lineStart = static_cast<std::uint32_t>(line.data() - block.data.get());
        if (block.sentences.size() == kMaxSentences) {
            block.readUpTo = lineStart;
            return;
        }
        ReadSentence& s = block.sentences.emplace_back();
        s.lineStart = lineStart;
        s.lineSize = static_cast<std::uint32_t>(line.size());
        s.kind = kind;
        if (kind == LineKind::Satellites) {
            s.automatic3d = AutomaticThreeD(line);
        } else if (kind == LineKind::Position) {
            ReadPosition(line, settings, position);
            const std::size_t need =
                position.lat.size() + position.lon.size() + position.speed.size();
            if (need > kTextCapacity - block.textsUsed) {
                block.sentences.pop_back();
                block.readUpTo = lineStart;
                return;
            }
            char* text = block.texts.get() + block.textsUsed;
            s.textStart = static_cast<std::uint32_t>(block.textsUsed);
            s.latSize = static_cast<std::uint16_t>(position.lat.size());
            s.lonSize = static_cast<std::uint16_t>(position.lon.size());
            s.speedSize = static_cast<std::uint16_t>(position.speed.size());
            std::memcpy(text, position.lat.view().data(), s.latSize);
            std::memcpy(text + s.latSize, position.lon.view().data(), s.lonSize);
            std::memcpy(text + s.latSize + s.lonSize, position.speed.view().data(), s.speedSize);
            block.textsUsed += need;
            s.localTime = position.localTime;
            s.latValue = position.latValue;
            s.lonValue = position.lonValue;
        }
    }
    block.readUpTo = block.size;
}

// The sequential pass over one read block, in input order.
void ApplyBlock(const Block& block, const SettingsSource& source, const LiveSettings& settings,
                ConversionState& state, DrawFiles& out, TalkerReading& reading) {
    const char* data = block.data.get();
    for (const ReadSentence& s : block.sentences) {
        const std::string_view line(data + s.lineStart, s.lineSize);
        switch (s.kind) {
        case LineKind::Position: {
            StartPositionReport(state, out, reading);
            const char* text = block.texts.get() + s.textStart;
            PositionView position;
            position.localTime = s.localTime;
            position.lat = {text, s.latSize};
            position.lon = {text + s.latSize, s.lonSize};
            position.speed = {text + s.latSize + s.lonSize, s.speedSize};
            position.latValue = s.latValue;
            position.lonValue = s.lonValue;
            ApplyPosition(line, settings, position, state, out);
            break;
        }
        case LineKind::UnusablePosition:
            StartPositionReport(state, out, reading);
            ApplyUnusablePosition(state);
            break;
        case LineKind::Satellites:
            ApplyFixReport(line, s.automatic3d, state, out, reading);
            break;
        case LineKind::SkippedPosition:
            reading.skipped.Add(line);
            break;
        case LineKind::Other:
            break;
        }
        state.NmeaLine = {};
    }
    BlockLines rest(data + block.readUpTo, block.size - block.readUpTo);
    std::string_view line;
    while (rest.Next(line)) {
        ProcessLine(line, source, state, out, reading);
        state.NmeaLine = {};
    }
}

// Worker threads taking blocks from a queue; Stop() joins them.
class Workers {
public:
    Workers(unsigned count, const LiveSettings& settings, TalkerMode mode)
        : settings_(settings), mode_(mode) {
        for (unsigned i = 0; i < count; ++i) {
            threads_.emplace_back([this] { run(); });
        }
    }
    ~Workers() { Stop(); }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    void Queue(Block& block) {
        {
            const std::lock_guard lock(mutex_);
            block.stage = Block::Stage::Queued;
            queue_.push_back(&block);
        }
        work_.notify_one();
    }

    void WaitUntilRead(Block& block) {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&block] { return block.stage == Block::Stage::Read; });
    }

    void Stop() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        for (std::thread& t : threads_) {
            if (t.joinable()) {
                t.join();
            }
        }
    }

private:
    void run() {
        for (;;) {
            Block* block = nullptr;
            {
                std::unique_lock lock(mutex_);
                work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
                if (queue_.empty()) {
                    return;
                }
                block = queue_.front();
                queue_.pop_front();
            }
            ReadBlock(*block, settings_, mode_);
            {
                const std::lock_guard lock(mutex_);
                block->stage = Block::Stage::Read;
            }
            done_.notify_all();
        }
    }

    const LiveSettings settings_;
    const TalkerMode mode_;
    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable done_;
    std::deque<Block*> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace

RunResult ConvertLogInParallel(const ConversionJob& job, const LiveSettings& settings,
                               ConversionState& state, const ParallelOptions& options) {
    const FixedSettings source(settings);
    if (options.threads <= 1) {
        return ConvertLog(job, source, state);
    }
    RunResult result;
    InputFile input(job.input);
    if (input.get() == nullptr) {
        result.status = RunStatus::InputNotOpened;
        result.message = "cannot open " + job.input.string() + ": " + Reason(input.error());
        return result;
    }
    DrawFiles out;
    OutputSet outputs; // what is not committed is removed on return, before `out` goes
    if (!out.Create(job.outputStem, outputs, result.message) ||
        (job.writeGpx &&
         !out.AddGpx(job.outputStem, job.input.filename().string(), result.message))) {
        result.status = RunStatus::OutputFailed;
        return result;
    }
    state.RefLatText.clear();
    state.RefLonText.clear();

    ChunkReader reader(input.get(), options.chunkSize > 0 ? options.chunkSize : 1);
    // Two blocks more than workers: one being filled, one being written out.
    std::vector<Block> blocks(std::min<std::size_t>(options.threads + 2, kMaxBlocks));
    Workers workers(options.threads, settings, job.talkers);
    TalkerReading reading(job.talkers);
    std::size_t nextRead = 0;  // blocks handed out, in input order
    std::size_t nextApply = 0; // blocks written out
    std::size_t inFlight = 0;  // bytes of log in blocks handed out and not yet written
    bool endOfInput = false;
    while (!out.Failed()) {
        while (!endOfInput && nextRead - nextApply < blocks.size() &&
               (nextRead == nextApply || inFlight + reader.Capacity() <= kInFlightBudget)) {
            Block& block = blocks[nextRead % blocks.size()];
            if (!block.data) {
                block.data = std::make_unique_for_overwrite<char[]>(reader.Capacity());
                block.texts = std::make_unique_for_overwrite<char[]>(kTextCapacity);
                block.sentences.reserve(kMaxSentences);
            }
            block.size = reader.Next(block.data.get());
            if (block.size == 0) {
                endOfInput = true;
                break;
            }
            inFlight += block.size;
            workers.Queue(block);
            ++nextRead;
        }
        if (nextApply == nextRead) {
            break;
        }
        Block& block = blocks[nextApply % blocks.size()];
        workers.WaitUntilRead(block);
        ApplyBlock(block, source, settings, state, out, reading);
        inFlight -= block.size;
        block.stage = Block::Stage::Free;
        // A block that held an overlong line gives its memory back, unless
        // the reader still keeps the start of the next line in it.
        if (block.size > 2 * options.chunkSize && nextApply + 1 != nextRead) {
            block.data.reset();
        }
        ++nextApply;
    }
    workers.Stop();
    if (reader.Failed()) {
        result.status = RunStatus::InputFailed;
        result.message = "cannot read " + job.input.string() + ": " + Reason(reader.Error());
        return result;
    }
    FinishInput(state, out, reading);
    if (!out.Finish(result.message) || !outputs.Commit(result.message)) {
        result.status = RunStatus::OutputFailed;
        return result;
    }
    result.records = out.Counts();
    TellSkipped(reading, result);
    result.gpx = out.Gpx();
    return result;
}

} // namespace zum
