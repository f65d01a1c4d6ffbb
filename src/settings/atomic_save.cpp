#include "settings/atomic_save.hpp"

#include "convert/temporary_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zum {
namespace {

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename itself reaches the disk once its folder is synced.
void SyncFolder([[maybe_unused]] const std::filesystem::path& folder) {
#ifndef _WIN32
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

bool SaveFileAtomically(const std::filesystem::path& path, std::string_view content,
                        std::string& reason) {
    std::filesystem::path target;
    if (!FollowLinks(path, target)) {
        reason = std::strerror(errno);
        return false;
    }
    std::error_code ec;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ec);
    }
    std::filesystem::path temp;
    const int fd = CreateTemporaryBeside(target, temp);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    const bool written = WriteAll(fd, content) && SyncToDisk(fd);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        reason = std::strerror(!written ? writeError : errno);
        std::filesystem::remove(temp, ec);
        return false;
    }
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        reason = ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    SyncFolder(target.parent_path());
    return true;
}

bool SaveSettingsText(const std::filesystem::path& path, std::string_view content,
                      std::string& message) {
    std::string reason;
    if (!SaveFileAtomically(path, content, reason)) {
        message = "Unable to save " + path.string() + ": " + reason;
        return false;
    }
    message.clear();
    return true;
}

} // namespace zum
