#include "convert/output_file.hpp"

#include "convert/temporary_file.hpp"
#include "convert/temporary_registry.hpp"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zum {
namespace {

std::string describe(int error) {
    return error != 0 ? std::generic_category().message(error) : std::string("write failed");
}

} // namespace

bool OutputFile::Create(const std::filesystem::path& finalPath, std::string& error, Use use) {
    Discard();
    final_ = finalPath;
    failed_ = false;
    errno_ = 0;
    used_ = 0;
    use_ = use;
    written_ = 0;
    writeBack_ = 0;
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
    // The buffer here is the only one: each flush is one write the kernel
    // sees whole, so `written_` is what the file holds.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    slot_ = RegisterTemporary(temp_);
    if (!buffer_) {
        buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize + kMaxRoom);
    }
    return true;
}

void OutputFile::Release() {
    temp_.clear();
    UnregisterTemporary(slot_);
    slot_ = -1;
}

bool OutputFile::writeOut(std::size_t n) {
    if (n != 0 && file_ != nullptr && !failed_) {
        errno = 0;
        if (std::fwrite(buffer_.get(), 1, n, file_) != n) {
            failed_ = true;
            errno_ = errno;
        } else {
            wrote(n);
        }
    }
    return !failed_;
}

bool OutputFile::flush() {
    const bool written = writeOut(used_);
    used_ = 0;
    return written;
}

void OutputFile::spill() {
    const std::size_t keep = (written_ + used_) % kPage;
    const std::size_t out = used_ - keep;
    writeOut(out);
    std::memmove(buffer_.get(), buffer_.get() + out, keep);
    used_ = keep;
}

void OutputFile::writeOver(std::string_view text) {
    while (!text.empty()) {
        const std::size_t n = std::min(text.size(), kBufferSize - used_);
        std::memcpy(buffer_.get() + used_, text.data(), n);
        used_ += n;
        text.remove_prefix(n);
        if (used_ == kBufferSize) {
            spill();
        }
    }
}

void OutputFile::wrote(std::uint64_t bytes) {
    written_ += bytes;
    if (use_ == Use::Kept && written_ - writeBack_ >= kWriteBackStep) {
        // Up to a 64 KiB boundary: whole pages only, the last one still
        // being filled, and the requests stay few and aligned.
        startWriteBack(written_ & ~std::uint64_t{0xFFFF});
    }
}

void OutputFile::startWriteBack(std::uint64_t upTo) {
    if (upTo > writeBack_ && file_ != nullptr) {
        zum::StartWriteBack(::fileno(file_), writeBack_, upTo - writeBack_);
        writeBack_ = upTo;
    }
}

bool OutputFile::Flush(std::string& error) {
    if (file_ == nullptr || !flush()) {
        error = "cannot write " + final_.string() + ": " +
                (failed_ ? describe(errno_) : std::string("not open"));
        return false;
    }
    return true;
}

void OutputFile::StartWriteBack() {
    if (flush() && use_ == Use::Kept) {
        startWriteBack(written_);
    }
}

bool OutputFile::Append(OutputFile& part, std::string& error) {
    if (!part.flush() || part.file_ == nullptr || std::fflush(part.file_) != 0) {
        error = "cannot write " + part.temp_.string() + ": " +
                describe(part.failed_ ? part.errno_ : errno);
        return false;
    }
    if (!flush() || file_ == nullptr || std::fflush(file_) != 0) {
        failed_ = true;
        return false; // Close reports it, naming the output
    }
#ifdef __linux__
    // Both are temporaries in the same folder, so the copy stays in the
    // kernel; on file systems without it, the bytes are read back below.
    const int source = ::open(part.temp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (source >= 0) {
        loff_t from = 0;
        ssize_t copied = 0;
        // A step at a time, so the copy is written to disk while it goes on.
        while ((copied = ::copy_file_range(source, &from, ::fileno(file_), nullptr, kWriteBackStep,
                                           0)) > 0) {
            wrote(static_cast<std::uint64_t>(copied));
        }
        const int copyError = errno;
        ::close(source);
        if (copied == 0) {
            return true;
        }
        if (from != 0 || (copyError != EXDEV && copyError != EINVAL && copyError != ENOSYS &&
                          copyError != EOPNOTSUPP)) {
            failed_ = true;
            errno_ = copyError;
            return false;
        }
    }
#endif
    std::FILE* in = std::fopen(part.temp_.string().c_str(), "rb");
    if (in == nullptr) {
        error = "cannot read back " + part.temp_.string() + ": " + describe(errno);
        return false;
    }
    const auto chunk = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::size_t got = 0;
    while ((got = std::fread(chunk.get(), 1, kBufferSize, in)) != 0) {
        Write({chunk.get(), got});
    }
    const bool readFailed = std::ferror(in) != 0;
    std::fclose(in);
    if (readFailed) {
        error = "cannot read back " + part.temp_.string();
        return false;
    }
    return true;
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
