#include "convert/output_set.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <system_error>

#ifdef __linux__
#include <sys/syscall.h>
#ifndef RENAME_EXCHANGE
#define RENAME_EXCHANGE (1 << 1)
#endif
#endif

namespace zum {
namespace {

// Swaps two names atomically. False with errno set when the swap failed; EINVAL
// or ENOSYS mean the file system (or system) cannot swap.
bool Exchange(const std::filesystem::path& a, const std::filesystem::path& b) {
#ifdef __linux__
    return ::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
#else
    (void)a;
    (void)b;
    errno = ENOSYS;
    return false;
#endif
}

bool Exists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec)) ||
           (ec && ec != std::errc::no_such_file_or_directory);
}

// Renames, replacing what has the new name. False with errno set.
bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    errno = ec.value();
    return !ec;
}

// Holds off INT, TERM and HUP while the members move into place: a handler
// that removes the temporaries must not run between two swaps, when the
// temporary names hold the old copies. A signal that comes meanwhile is
// delivered when the swaps are done.
#ifdef _WIN32
struct SignalsHeld {};
#else
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&held, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_{};
};
#endif

// How one member was moved into place, so it can be moved back.
enum class Placed { Swapped, Renamed, Replaced };

} // namespace

OutputFile* OutputSet::Add(const std::filesystem::path& finalPath, std::string& error) {
    auto file = std::make_unique<OutputFile>();
    if (!file->Create(finalPath, error)) {
        return nullptr;
    }
    files_.push_back(file.get());
    owned_.push_back(std::move(file));
    return files_.back();
}

void OutputSet::Join(OutputFile& file) {
    files_.push_back(&file);
}

bool OutputSet::Failed() const {
    for (const OutputFile* file : files_) {
        if (file->Failed()) {
            return true;
        }
    }
    return false;
}

bool OutputSet::Commit(std::string& error) {
    for (OutputFile* file : files_) {
        if (!file->Close(error)) {
            Discard();
            return false;
        }
    }
    // Every temporary is complete and on disk before the first one moves.
    [[maybe_unused]] const SignalsHeld held{};
    std::vector<Placed> placed;
    placed.reserve(files_.size());
    for (OutputFile* file : files_) {
        const std::filesystem::path& temp = file->TemporaryPath();
        const std::filesystem::path& target = file->TargetPath();
        if (Exchange(temp, target)) {
            placed.push_back(Placed::Swapped); // the old file is under the temporary name
            continue;
        }
        int cause = errno;
        if (cause == ENOENT && !Exists(target)) {
            // Nothing to keep: a new name.
            if (RenameOver(temp, target)) {
                placed.push_back(Placed::Renamed);
                continue;
            }
            cause = errno;
        } else if (cause == EINVAL || cause == ENOSYS || cause == ENOTSUP) {
            // This file system cannot swap; the old file is replaced outright
            // and cannot be brought back.
            if (RenameOver(temp, target)) {
                placed.push_back(Placed::Replaced);
                continue;
            }
            cause = errno;
        }
        error = "cannot replace " + file->FinalPath().string() + ": " +
                std::generic_category().message(cause);
        // Undo in reverse order: swap back, or take the new name away again.
        for (std::size_t i = placed.size(); i-- > 0;) {
            OutputFile& done = *files_[i];
            if (placed[i] == Placed::Swapped) {
                Exchange(done.TemporaryPath(), done.TargetPath());
            } else if (placed[i] == Placed::Renamed) {
                RenameOver(done.TargetPath(), done.TemporaryPath());
            } else {
                done.Release();
            }
        }
        Discard();
        return false;
    }
    // Every new file is in place; the temporary names now hold the old copies
    // (or nothing), which go.
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (placed[i] == Placed::Swapped) {
            std::error_code ec;
            std::filesystem::remove(files_[i]->TemporaryPath(), ec);
        }
        files_[i]->Release();
    }
    files_.clear();
    owned_.clear();
    return true;
}

void OutputSet::Discard() {
    for (OutputFile* file : files_) {
        file->Discard();
    }
    files_.clear();
    owned_.clear();
}

} // namespace zum
