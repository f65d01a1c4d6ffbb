#include "convert/parallel_run.hpp"

#include "convert/chunk_reader.hpp"
#include "convert/input_file.hpp"
#include "convert/output_set.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
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
        PositionView position;
        if (s.kind == LineKind::Position) {
            const char* text = block.texts.get() + s.textStart;
            position.localTime = s.localTime;
            position.lat = {text, s.latSize};
            position.lon = {text + s.latSize, s.lonSize};
            position.speed = {text + s.latSize + s.lonSize, s.speedSize};
            position.latValue = s.latValue;
            position.lonValue = s.lonValue;
        }
        ApplyLine(s.kind, line, s.kind == LineKind::Satellites && s.automatic3d, settings, position,
                  state, out, reading);
        state.NmeaLine = {};
    }
    BlockLines rest(data + block.readUpTo, block.size - block.readUpTo);
    std::string_view line;
    while (rest.Next(line)) {
        ProcessLine(line, source, state, out, reading);
        state.NmeaLine = {};
    }
}

// Worker threads taking blocks from a queue; Stop() joins them. A worker
// fills its block from the log itself (the reads take turns in queue order,
// as the reader carries a cut line from one block into the next) and then
// reads its sentences: copying the log out of the kernel is a large part of
// the work, and the sequential pass, which both cores wait on, no longer
// does it.
class Workers {
public:
    Workers(unsigned count, const LiveSettings& settings, TalkerMode mode, ChunkReader& reader)
        : settings_(settings), mode_(mode), reader_(reader) {
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

    [[nodiscard]] bool IsRead(const Block& block) {
        const std::lock_guard lock(mutex_);
        return block.stage == Block::Stage::Read;
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
            std::size_t ticket = 0;
            {
                std::unique_lock lock(mutex_);
                work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
                if (queue_.empty()) {
                    return;
                }
                block = queue_.front();
                queue_.pop_front();
                ticket = taken_++;
            }
            {
                std::unique_lock lock(readMutex_);
                turn_.wait(lock, [this, ticket] { return filled_ == ticket; });
                block->size = reader_.Next(block->data.get());
                ++filled_;
            }
            turn_.notify_all();
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
    std::size_t taken_ = 0; // blocks taken from the queue, in queue order
    bool stopping_ = false;
    ChunkReader& reader_;
    std::mutex readMutex_;
    std::condition_variable turn_;
    std::size_t filled_ = 0; // blocks filled from the log: the next one's turn
    std::vector<std::thread> threads_;
};

} // namespace

RunResult ConvertLogInParallel(const ConversionJob& job, const LiveSettings& settings,
                               ConversionState& state, const ParallelOptions& options) {
    const FixedSettings source(settings);
    // A log of a block or two gains nothing from threads that would each
    // cost more to start than its reading takes.
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(job.input, sizeError);
    const bool small = !sizeError && size <= 2 * std::max<std::size_t>(options.chunkSize, 1);
    if (options.threads <= 1 || small) {
        return ConvertLog(job, source, state);
    }
    RunResult result;
    InputFile input(job.input);
    DrawFiles out;
    OutputSet outputs; // what is not committed is removed on return, before `out` goes
    if (!OpenRun(job, input, out, outputs, state, result)) {
        return result;
    }

    const std::size_t chunkSize = options.chunkSize > 0 ? options.chunkSize : 1;
    ChunkReader reader(input.get(), chunkSize);
    // Two blocks more than workers: one being filled, one being written out.
    std::vector<Block> blocks(std::min<std::size_t>(options.threads + 2, kMaxBlocks));
    Workers workers(options.threads, settings, job.talkers, reader);
    TalkerReading reading(job.talkers);
    std::size_t nextRead = 0;  // blocks handed out, in input order
    std::size_t nextApply = 0; // blocks written out
    // Bytes of log in blocks handed out and not yet written, counting each
    // block as a chunk (the blocks are filled by the workers).
    std::size_t inFlight = 0;
    bool endOfInput = false; // an empty block came back: the later ones are empty too
    while (!out.Failed()) {
        while (!endOfInput && nextRead - nextApply < blocks.size() &&
               (nextRead == nextApply || inFlight + chunkSize <= kInFlightBudget)) {
            Block& block = blocks[nextRead % blocks.size()];
            if (!block.data) {
                block.data = std::make_unique_for_overwrite<char[]>(reader.Capacity());
                block.texts = std::make_unique_for_overwrite<char[]>(kTextCapacity);
                block.sentences.reserve(kMaxSentences);
            }
            inFlight += chunkSize;
            workers.Queue(block);
            ++nextRead;
        }
        if (nextApply == nextRead) {
            break;
        }
        Block& block = blocks[nextApply % blocks.size()];
        workers.WaitUntilRead(block);
        endOfInput = endOfInput || block.size == 0;
        ApplyBlock(block, source, settings, state, out, reading);
        inFlight -= chunkSize;
        // A block that held an overlong line gives its memory back, unless
        // the reader still keeps the start of the next line in it (the next
        // block is not filled yet).
        if (block.size > 2 * chunkSize && nextApply + 1 != nextRead &&
            workers.IsRead(blocks[(nextApply + 1) % blocks.size()])) {
            block.data.reset();
        }
        block.stage = Block::Stage::Free;
        ++nextApply;
    }
    workers.Stop();
    if (reader.Failed()) {
        result.status = RunStatus::InputFailed;
        result.message = "cannot read " + job.input.string() + ": " + Reason(reader.Error());
        return result;
    }
    FinishInput(state, out, reading);
    return CompleteRun(out, outputs, reading, result);
}

} // namespace zum
