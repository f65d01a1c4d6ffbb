#include "convert/temporary_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/random.h>
#endif

namespace zum {
namespace {

constexpr int kMaxLinks = 40; // as the kernel allows in one path
constexpr int kMaxAttempts = 100;
constexpr std::size_t kTagLength = 6;

// A random seed. On Linux straight from the kernel: std::random_device
// first asks the processor which sources it has, and every CPUID is a trip
// to the hypervisor in a virtual machine.
std::uint64_t RandomSeed() {
#ifdef __linux__
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, 0) == static_cast<ssize_t>(sizeof seed)) {
        return seed;
    }
#endif
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

std::string RandomTag() {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{[] {
        std::uint64_t seed = RandomSeed();
#ifndef _WIN32
        seed ^= static_cast<std::uint64_t>(::getpid());
#endif
        return seed;
    }()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string tag(kTagLength, ' ');
    for (char& c : tag) {
        c = kChars[pick(generator)];
    }
    return tag;
}

// "." + the name's start + "~" + a random tag: as long as the name itself
// when the name has at least eight bytes.
std::string TemporaryName(const std::string& name) {
    const std::size_t overhead = 2 + kTagLength;
    const std::size_t kept = name.size() > overhead ? name.size() - overhead : name.size();
    return "." + name.substr(0, kept) + "~" + RandomTag();
}

} // namespace

#ifdef _WIN32

bool FollowLinks(const std::filesystem::path& path, std::filesystem::path& target) {
    target = path;
    return true;
}

int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary) {
    const std::filesystem::path folder = target.parent_path();
    const std::string name = target.filename().string();
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        temporary = folder / TemporaryName(name);
        const int fd = ::_wopen(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                                _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    temporary.clear();
    return -1;
}

bool SyncToDisk(int fd) {
    return ::_commit(fd) == 0;
}

void StartWriteBack(int, std::uint64_t, std::uint64_t) {}

#else

bool FollowLinks(const std::filesystem::path& path, std::filesystem::path& target) {
    target = path;
    for (int depth = 0;; ++depth) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return true; // a missing name is created where it stands
        }
        if (depth == kMaxLinks) {
            errno = ELOOP;
            return false;
        }
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) {
            errno = ec.value();
            return false;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
}

int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary) {
    const std::filesystem::path folder = target.parent_path();
    const std::string name = target.filename().string();
    struct stat previous {};
    const bool replacing = ::stat(target.c_str(), &previous) == 0 && S_ISREG(previous.st_mode);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        temporary = folder / TemporaryName(name);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            temporary.clear();
            return -1;
        }
        if (replacing) {
            // The replaced file's owner (when allowed) and mode; a private
            // file stays private.
            if (::fchown(fd, previous.st_uid, previous.st_gid) != 0) {
                errno = 0; // not root: the file stays ours, which is fine
            }
            if (::fchmod(fd, previous.st_mode & 07777) != 0) {
                const int error = errno;
                ::close(fd);
                ::unlink(temporary.c_str());
                temporary.clear();
                errno = error;
                return -1;
            }
        }
        return fd;
    }
    temporary.clear();
    errno = EEXIST;
    return -1;
}

bool SyncToDisk(int fd) {
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzz targets write thousands of short-lived files a second; waiting
    // for the disk would slow them to a crawl and prove nothing.
    (void)fd;
    return true;
#else
    return ::fsync(fd) == 0;
#endif
}

void StartWriteBack(int fd, std::uint64_t offset, std::uint64_t length) {
#if defined(__linux__) && !defined(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
    // SYNC_FILE_RANGE_WRITE alone queues the writes and does not wait for them.
    const int saved = errno;
    ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length),
                      SYNC_FILE_RANGE_WRITE);
    errno = saved;
#else
    (void)fd;
    (void)offset;
    (void)length;
#endif
}

#endif

} // namespace zum
