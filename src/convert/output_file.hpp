#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace zum {

// A text file written through a large buffer to a temporary beside its final
// name (see CreateTemporaryBeside). Only an OutputSet moves it into place;
// until then the file of that name (if any) is untouched, and a file that is
// discarded, or destroyed, leaves nothing behind. The temporary is
// registered (see RegisterTemporary) while it exists, so a program ended by a
// signal can remove it.
//
// A file that is to be kept is handed to the disk every MiB as it is
// written (where the system allows), so that the sync before it moves into
// place has little left to wait for. A scratch file, read back and discarded
// within the run, is left to the page cache and never written out.
class OutputFile {
public:
    enum class Use { Kept, Scratch };

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Discard(); }

    // A final name reached through symbolic links is replaced where the links
    // lead; the links stay.
    bool Create(const std::filesystem::path& finalPath, std::string& error, Use use = Use::Kept);

    void Write(std::string_view text) {
        if (text.size() < kBufferSize - used_) {
            std::memcpy(buffer_.get() + used_, text.data(), text.size());
            used_ += text.size();
            return;
        }
        writeOver(text);
    }

    // Room for N more bytes, to be filled in place and then counted with
    // Advance: for a writer that makes its text piece by piece, so it is not
    // copied once more.
    template <std::size_t N> char* Room() {
        static_assert(N <= kMaxRoom);
        return buffer_.get() + used_; // used_ < kBufferSize always
    }
    void Advance(std::size_t n) {
        used_ += n;
        if (used_ >= kBufferSize) {
            spill();
        }
    }

    [[nodiscard]] bool Failed() const { return failed_; }
    // The bytes written so far.
    [[nodiscard]] std::uint64_t Size() const { return written_ + used_; }
    // The name the user gave, for messages.
    [[nodiscard]] const std::filesystem::path& FinalPath() const { return final_; }
    // Where the file really goes (FinalPath with its links followed).
    [[nodiscard]] const std::filesystem::path& TargetPath() const { return target_; }
    [[nodiscard]] const std::filesystem::path& TemporaryPath() const { return temp_; }

    // Appends everything written to `part` so far, which stays open: the
    // kernel copies the bytes where it can (Linux), else they are read back.
    // For scratch parts, which are then discarded rather than closed, so
    // they are never synced to disk.
    bool Append(OutputFile& part, std::string& error);

    // Hands everything written so far to the kernel, so the temporary can be
    // read back; on failure `error` names the file and the cause.
    bool Flush(std::string& error);

    // Hands everything written so far to the kernel and, for a kept file,
    // starts writing it to disk without waiting: done for every output before
    // the first one is synced, so their writes overlap.
    void StartWriteBack();

    // Flushes, syncs and closes the temporary; it stays under its temporary name.
    bool Close(std::string& error);
    // The temporary now belongs to someone else (it was moved into place).
    void Release();
    // Closes and removes the temporary.
    void Discard();

    // What is written goes to the kernel in pieces of about this size that
    // end on a page boundary: a write that begins or ends inside a page
    // costs the kernel half as much again.
    static constexpr std::size_t kBufferSize = 256 * 1024;
    static constexpr std::size_t kMaxRoom = 8 * 1024;

private:
    static constexpr std::size_t kPage = 4096;
    // A kept file is handed to the disk whenever this much more is written.
    static constexpr std::uint64_t kWriteBackStep = 1024 * 1024;
    void writeOver(std::string_view text);
    // Writes the buffer up to its last page boundary and keeps the rest.
    void spill();
    // Writes the whole buffer.
    bool flush();
    bool writeOut(std::size_t n);
    // Records `bytes` more in the file and starts the write-back when due.
    void wrote(std::uint64_t bytes);
    void startWriteBack(std::uint64_t upTo);

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    int errno_ = 0;
    Use use_ = Use::Kept;
    std::uint64_t written_ = 0;   // bytes the kernel has
    std::uint64_t writeBack_ = 0; // bytes whose write-back has started
    std::filesystem::path final_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
    int slot_ = -1; // in the table a signal handler cleans up from
};

} // namespace zum
