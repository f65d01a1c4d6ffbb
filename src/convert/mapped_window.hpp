#pragma once

#include <cstddef>
#include <cstdint>

namespace zum {

// A read-only view of part of a file, mapped into memory, and unmapped when it
// is mapped anew or goes. Where the system has no such mapping (Windows here),
// Map always fails, and the caller reads the file instead.
class MappedWindow {
public:
    MappedWindow() = default;
    ~MappedWindow() { Unmap(); }
    MappedWindow(MappedWindow&& other) noexcept { *this = static_cast<MappedWindow&&>(other); }
    MappedWindow& operator=(MappedWindow&& other) noexcept;
    MappedWindow(const MappedWindow&) = delete;
    MappedWindow& operator=(const MappedWindow&) = delete;

    // The start of the page holding `offset`: where a window may begin.
    static std::uint64_t PageStart(std::uint64_t offset);

    // Maps `size` bytes of the file from `offset` (a page start), unmapping
    // what was mapped before; with `populate` the pages are mapped at once,
    // not as they are first read. False, with errno set, when it cannot be.
    bool Map(int fd, std::uint64_t offset, std::size_t size, bool populate);
    void Unmap();

    [[nodiscard]] bool Mapped() const { return data_ != nullptr; }
    [[nodiscard]] const char* Data() const { return data_; }
    [[nodiscard]] std::size_t Size() const { return size_; }
    // The file offset of Data()[0].
    [[nodiscard]] std::uint64_t Offset() const { return offset_; }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::uint64_t offset_ = 0;
};

} // namespace zum
