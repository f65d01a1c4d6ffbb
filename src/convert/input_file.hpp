#pragma once

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace zum {

// A log opened for reading; the reason when it cannot be (a folder is refused
// before fopen, which would open it and fail only on the first read).
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            error_ = EISDIR;
            return;
        }
        errno = 0;
        file_ = std::fopen(path.string().c_str(), "rb");
        error_ = errno;
    }
    ~InputFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    [[nodiscard]] std::FILE* get() const { return file_; }
    [[nodiscard]] int error() const { return error_; }

private:
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

inline std::string Reason(int error) {
    return error != 0 ? std::generic_category().message(error) : "unknown error";
}

} // namespace zum
