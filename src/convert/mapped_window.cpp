#include "convert/mapped_window.hpp"

#include <cerrno>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zum {

MappedWindow& MappedWindow::operator=(MappedWindow&& other) noexcept {
    if (this != &other) {
        Unmap();
        data_ = other.data_;
        size_ = other.size_;
        offset_ = other.offset_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

std::uint64_t MappedWindow::PageStart(std::uint64_t offset) {
#ifndef _WIN32
    static const auto kPage = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    return offset - offset % kPage;
#else
    return offset;
#endif
}

bool MappedWindow::Map(int fd, std::uint64_t offset, std::size_t size, bool populate) {
    Unmap();
#ifndef _WIN32
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | (populate ? MAP_POPULATE : 0), fd,
                        static_cast<off_t>(offset));
    if (data == MAP_FAILED) {
        return false;
    }
    data_ = static_cast<char*>(data);
    size_ = size;
    offset_ = offset;
    return true;
#else
    (void)fd;
    (void)offset;
    (void)size;
    (void)populate;
    errno = ENOSYS;
    return false;
#endif
}

void MappedWindow::Unmap() {
#ifndef _WIN32
    if (data_ != nullptr) {
        ::munmap(data_, size_);
    }
#endif
    data_ = nullptr;
    size_ = 0;
    offset_ = 0;
}

} // namespace zum
