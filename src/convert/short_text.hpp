#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace zum {

// A text of bounded length stored inline, so that the conversion state and the
// texts made for every sentence never touch the heap. Appending past the
// capacity keeps what fits; the capacities used are chosen so that every text
// the conversion makes fits whole.
template <std::size_t Capacity> class ShortText {
public:
    static constexpr std::size_t kCapacity = Capacity;
    ShortText() = default;
    ShortText(std::string_view text) { assign(text); }
    // Copies only the characters in use: the texts are short, the capacity is not.
    ShortText(const ShortText& other) : size_(other.size_) { copyFrom(other); }
    ShortText& operator=(const ShortText& other) {
        size_ = other.size_;
        copyFrom(other);
        return *this;
    }
    ShortText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        size_ = 0;
        append(text);
    }
    void append(std::string_view text) {
        const std::size_t n = std::min(text.size(), Capacity - size_);
        if (n != 0) {
            std::memcpy(data_ + size_, text.data(), n);
        }
        size_ += n;
    }
    void push_back(char c) {
        if (size_ < Capacity) {
            data_[size_++] = c;
        }
    }
    void clear() { size_ = 0; }
    // The text's storage for the caller to fill, its size set to `n` (at most
    // the capacity); the caller may write anywhere up to the capacity.
    char* overwrite(std::size_t n) {
        size_ = std::min(n, Capacity);
        return data_;
    }

    [[nodiscard]] std::string_view view() const { return {data_, size_}; }
    operator std::string_view() const { return view(); }
    [[nodiscard]] std::string str() const { return std::string(view()); }
    [[nodiscard]] bool empty() const { return size_ == 0; }
    [[nodiscard]] std::size_t size() const { return size_; }

    friend bool operator==(const ShortText& a, std::string_view b) { return a.view() == b; }

private:
    // Copies the characters in use of `other` (size_ already set to its size).
    // Most texts fit in sixteen bytes, which are copied whole, in registers,
    // rather than by a library call for the exact length.
    void copyFrom(const ShortText& other) {
        if constexpr (Capacity >= 16) {
            if (size_ <= 16) {
                char block[16];
                std::memcpy(block, other.data_, 16);
                std::memcpy(data_, block, 16);
                return;
            }
        }
        std::memmove(data_, other.data_, size_);
    }

    char data_[Capacity];
    std::size_t size_ = 0;
};

// Room for any coordinate or speed text: a 64-bit float written as a plain
// decimal with 15 significant digits needs at most about 340 characters.
using NumberText = ShortText<352>;

} // namespace zum
