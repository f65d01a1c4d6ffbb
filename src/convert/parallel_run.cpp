#include "convert/parallel_run.hpp"

#include "convert/block_lines.hpp"
#include "convert/fix_status.hpp"
#include "convert/input_file.hpp"
#include "convert/log_blocks.hpp"
#include "convert/output_set.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace zum {
namespace {

// A sentence read ahead of the sequential pass: where its line stands in the
// block, and for a position the texts (kept in the block's text store) and
// values.
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
// At most this many blocks are in flight (read or being read, and not yet
// written out), so memory stays flat however many threads there are and
// however long the log.
constexpr std::size_t kMaxBlocks = 10;

struct Block {
    enum class Stage { Free, Claimed, Read };
    Stage stage = Stage::Free;
    std::uint64_t index = 0;
    std::unique_ptr<char[]> buffer; // its bytes, when the log is not mapped
    LogBlocks::BlockRead read;      // its lines, in the buffer or the log's mapping
    std::vector<ReadSentence> sentences;
    std::unique_ptr<char[]> texts;
    std::size_t textsUsed = 0;
    std::size_t readUpTo = 0; // bytes the sentences cover; the rest is read in sequence
};

void ReadBlock(Block& block, const LogBlocks& log, const LiveSettings& settings, TalkerMode mode) {
    block.sentences.clear();
    block.textsUsed = 0;
    block.readUpTo = 0;
    if (!log.Read(block.index, block.buffer, block.read)) {
        return;
    }
    const char* data = block.read.lines.data();
    BlockLines lines(data, block.read.lines.size());
    PositionReading position;
    std::string_view line;
    while (lines.NextSentence(line)) {
        const LineKind kind = ClassifyLine(line, mode);
        if (kind == LineKind::Other) {
            continue;
        }
        const auto lineStart = static_cast<std::uint32_t>(line.data() - data);
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
    block.readUpTo = block.read.lines.size();
}

// The sequential pass over one read block, in input order.
void ApplyBlock(const Block& block, const SettingsSource& source, const LiveSettings& settings,
                ConversionState& state, DrawFiles& out, TalkerReading& reading) {
    const char* data = block.read.lines.data();
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
    BlockLines rest(data + block.readUpTo, block.read.lines.size() - block.readUpTo);
    std::string_view line;
    while (rest.Next(line)) {
        ProcessLine(line, source, state, out, reading);
        state.NmeaLine = {};
    }
}

// The blocks of a run and who reads them. Blocks are claimed in input order
// and read by whoever claimed them: a worker thread, or the sequential pass
// itself when the next block it needs is still being read and another can be
// claimed. No block waits for another to be read (see LogBlocks), and with
// the sequential pass reading too, the threads keep the cores busy without
// waking and sleeping for each block.
class BlockPipeline {
public:
    BlockPipeline(unsigned workers, const LiveSettings& settings, TalkerMode mode, LogBlocks& log,
                  std::vector<Block>& blocks)
        : settings_(settings), mode_(mode), log_(log), blocks_(blocks) {
        for (unsigned i = 0; i < workers; ++i) {
            threads_.emplace_back([this] { RunWorker(); });
        }
    }
    ~BlockPipeline() { Stop(); }
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    // The next block in input order, read, or nullptr after the last. Blocks
    // that can be claimed meanwhile are read here, so the caller is not idle
    // while there is reading to do.
    Block* NextRead() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (applied_ == log_.Count()) {
                return nullptr;
            }
            Block& next = blocks_[applied_ % blocks_.size()];
            if (applied_ < claimed_ && next.stage == Block::Stage::Read) {
                return &next;
            }
            if (CanClaim()) {
                Block& claimed = Claim();
                lock.unlock();
                ReadBlock(claimed, log_, settings_, mode_);
                lock.lock();
                claimed.stage = Block::Stage::Read;
                continue;
            }
            done_.wait(lock);
        }
    }

    // Gives back the block NextRead returned, once it is written out.
    void Release(Block& block) {
        {
            const std::lock_guard lock(mutex_);
            // A block that read far on into a long line gives its memory back.
            if (block.read.bufferUsed > log_.Capacity() / 2) {
                block.buffer.reset();
            }
            log_.Done(block.index);
            block.stage = Block::Stage::Free;
            ++applied_;
        }
        work_.notify_one();
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
    // With the lock held: whether another block may be read now.
    [[nodiscard]] bool CanClaim() const {
        return !stopping_ && claimed_ < log_.Count() && claimed_ - applied_ < blocks_.size();
    }

    // With the lock held: the next block, made ready to be read.
    Block& Claim() {
        Block& block = blocks_[claimed_ % blocks_.size()];
        if (!block.texts) {
            block.texts = std::make_unique_for_overwrite<char[]>(kTextCapacity);
            block.sentences.reserve(kMaxSentences);
        }
        block.stage = Block::Stage::Claimed;
        block.index = claimed_++;
        log_.Prepare(block.index);
        return block;
    }

    void RunWorker() {
        std::unique_lock lock(mutex_);
        for (;;) {
            work_.wait(lock, [this] { return stopping_ || CanClaim(); });
            if (stopping_) {
                return;
            }
            Block& block = Claim();
            lock.unlock();
            ReadBlock(block, log_, settings_, mode_);
            lock.lock();
            block.stage = Block::Stage::Read;
            done_.notify_one();
        }
    }

    const LiveSettings settings_;
    const TalkerMode mode_;
    LogBlocks& log_;
    std::vector<Block>& blocks_;
    std::mutex mutex_;
    std::condition_variable work_; // a block may be claimed, or stop
    std::condition_variable done_; // a worker has read a block
    std::uint64_t claimed_ = 0;    // blocks claimed, in input order
    std::uint64_t applied_ = 0;    // blocks written out and given back
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace

RunResult ConvertLogInParallel(const ConversionJob& job, const LiveSettings& settings,
                               ConversionState& state, const ParallelOptions& options) {
    const FixedSettings source(settings);
    // A log of a block or two gains nothing from threads that would each
    // cost more to start than its reading takes, and a log that is not a
    // regular file (a pipe) cannot be cut into blocks read apart.
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(job.input, sizeError);
    const std::size_t chunkSize = std::max<std::size_t>(options.chunkSize, 1);
    if (options.threads <= 1 || sizeError || !std::filesystem::is_regular_file(job.input) ||
        size <= 2 * chunkSize) {
        return ConvertLog(job, source, state);
    }
    RunResult result;
    RunFiles files(job.input);
    if (!files.Open(job, state, result)) {
        return result;
    }
    DrawFiles& out = files.out;

    std::vector<Block> blocks(kMaxBlocks);
    LogBlocks log(files.input.get(), chunkSize, blocks.size(), job.mapInput);
    int error = log.Error();
    TalkerReading reading(job.talkers);
    {
        // The sequential pass reads blocks too, so one thread fewer is started.
        BlockPipeline pipeline(options.threads - 1, settings, job.talkers, log, blocks);
        while (error == 0 && !out.Failed()) {
            Block* block = pipeline.NextRead();
            if (block == nullptr) {
                break;
            }
            error = block->read.error;
            if (error == 0) {
                ApplyBlock(*block, source, settings, state, out, reading);
            }
            pipeline.Release(*block);
        }
    }
    if (error != 0) {
        result.status = RunStatus::InputFailed;
        result.message = "cannot read " + job.input.string() + ": " + Reason(error);
        return result;
    }
    FinishInput(state, out, reading);
    return files.Complete(reading, result);
}

} // namespace zum
