#include "convert/output_file.hpp"

#include "convert/temporary_file.hpp"
#include "convert/temporary_registry.hpp"

#include <cerrno>
#include <string>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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
    if (!FollowLinks(finalPath, target_)) {
        error = "cannot create " + finalPath.string() + ": " + describe(errno);
        return false;
    }
    // A folder of that name could not be replaced at the end; say so now,
    // before any work is done.
    std::error_code ec;
    if (std::filesystem::is_directory(target_, ec)) {
        error = "cannot create " + finalPath.string() + ": a folder has that name";
        return false;
    }
    const int fd = CreateTemporaryBeside(target_, temp_);
    if (fd < 0 || (file_ = ::fdopen(fd, "wb")) == nullptr) {
        const int cause = errno;
        if (fd >= 0) {
            ::close(fd);
            std::filesystem::remove(temp_, ec);
        }
        temp_.clear();
        error = "cannot create " + finalPath.string() + ": " + describe(cause);
        return false;
    }
    slot_ = RegisterTemporary(temp_);
    if (!buffer_) {
        buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    }
    return true;
}

void OutputFile::Release() {
    temp_.clear();
    UnregisterTemporary(slot_);
    slot_ = -1;
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
        if (!temp_.empty() && !failed_) {
            return true; // closed already
        }
        error =
            "cannot write " + final_.string() + ": " + (failed_ ? describe(errno_) : "not open");
        return false;
    }
    flush();
    errno = 0;
    // On disk before it replaces anything, so a crash soon after the rename
    // cannot leave an empty file under the final name.
    if (!failed_ && (std::fflush(file_) != 0 || !SyncToDisk(::fileno(file_)))) {
        failed_ = true;
        errno_ = errno;
    }
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
    UnregisterTemporary(slot_);
    slot_ = -1;
    used_ = 0;
}

} // namespace zum
