#pragma once

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace zum {

// A text file written through a large buffer to a temporary file beside its
// final name, and renamed over the final name only by Commit. Until then the
// file of that name (if any) is untouched; a file that is discarded, or
// destroyed without Commit, leaves nothing behind.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Discard(); }

    bool Create(const std::filesystem::path& finalPath, std::string& error);

    void Write(std::string_view text) {
        if (text.size() > kBufferSize - used_) {
            flushAndWrite(text);
            return;
        }
        std::memcpy(buffer_.get() + used_, text.data(), text.size());
        used_ += text.size();
    }

    [[nodiscard]] bool Failed() const { return failed_; }
    [[nodiscard]] const std::filesystem::path& FinalPath() const { return final_; }
    // Where the bytes are until Commit; empty once committed or discarded.
    [[nodiscard]] const std::filesystem::path& TemporaryPath() const { return temp_; }

    // Flushes and closes the temporary; it stays under its temporary name.
    bool Close(std::string& error);
    // Renames a closed temporary over the final name.
    bool Commit(std::string& error);
    void Discard();

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    void flushAndWrite(std::string_view text);
    bool flush();

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    int errno_ = 0;
    std::filesystem::path final_;
    std::filesystem::path temp_;
};

} // namespace zum
