#include "convert/output_file.hpp"

#include <cerrno>
#include <string>
#include <system_error>

namespace zum {
namespace {

std::string describe(int error) {
    return error != 0 ? std::generic_category().message(error) : std::string("write failed");
}

} // namespace

bool OutputFile::Create(const std::filesystem::path& finalPath, std::string& error) {
    Discard();
    final_ = finalPath;
    failed_ = false;
    errno_ = 0;
    used_ = 0;
    // A folder of that name could not be replaced at the end; say so now,
    // before any work is done, rather than leave some outputs renamed.
    std::error_code ec;
    if (std::filesystem::is_directory(finalPath, ec)) {
        error = "cannot create " + finalPath.string() + ": a folder has that name";
        return false;
    }
    // A hidden temporary beside the final name, so the rename stays on one
    // file system. "x" refuses a name that exists, so a stale or concurrent
    // temporary is never overwritten: the next number is tried instead.
    const std::filesystem::path folder = finalPath.parent_path();
    const std::string base = "." + finalPath.filename().string() + ".part";
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
        temp_ = folder / (base + std::to_string(attempt));
        errno = 0;
        file_ = std::fopen(temp_.string().c_str(), "wbx");
        if (file_ == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (file_ == nullptr) {
        error = "cannot create " + finalPath.string() + ": " + describe(errno);
        temp_.clear();
        return false;
    }
    if (!buffer_) {
        buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    }
    return true;
}

bool OutputFile::flush() {
    if (used_ != 0 && file_ != nullptr && !failed_) {
        errno = 0;
        if (std::fwrite(buffer_.get(), 1, used_, file_) != used_) {
            failed_ = true;
            errno_ = errno;
        }
    }
    used_ = 0;
    return !failed_;
}

void OutputFile::flushAndWrite(std::string_view text) {
    flush();
    if (text.size() >= kBufferSize) {
        if (file_ != nullptr && !failed_ &&
            std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
            failed_ = true;
            errno_ = errno;
        }
        return;
    }
    std::memcpy(buffer_.get(), text.data(), text.size());
    used_ = text.size();
}

bool OutputFile::Close(std::string& error) {
    if (file_ == nullptr) {
        error = "cannot write " + final_.string() + ": not open";
        return false;
    }
    flush();
    errno = 0;
    if (std::fclose(file_) != 0 && !failed_) {
        failed_ = true;
        errno_ = errno;
    }
    file_ = nullptr;
    if (failed_) {
        error = "cannot write " + final_.string() + ": " + describe(errno_);
        return false;
    }
    return true;
}

bool OutputFile::Commit(std::string& error) {
    std::error_code ec;
    std::filesystem::rename(temp_, final_, ec);
    if (ec) {
        error = "cannot replace " + final_.string() + ": " + ec.message();
        return false;
    }
    temp_.clear();
    return true;
}

void OutputFile::Discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
        temp_.clear();
    }
    used_ = 0;
}

} // namespace zum
