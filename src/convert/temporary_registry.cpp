#include "convert/temporary_registry.hpp"

#include <atomic>
#include <climits>
#include <cstring>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace zum {
#ifndef _WIN32
namespace {

// Enough for several runs at once, each with its handful of outputs.
constexpr int kSlots = 64;

enum SlotState : int { kFree, kFilling, kInUse };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};

// Set up by the compiler, not at start-up: a run-time loop storing each
// slot's state would touch a page of memory per slot before main.
constinit Slot slots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the slots");

} // namespace
#endif

#ifdef _WIN32

int RegisterTemporary(const std::filesystem::path&) noexcept {
    return -1;
}
void UnregisterTemporary(int) noexcept {}
void RemoveRegisteredTemporaries() noexcept {}

#else

int RegisterTemporary(const std::filesystem::path& file) noexcept {
    const char* path = file.c_str();
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(slots[i].path, path, length + 1);
            slots[i].state.store(kInUse);
            return i;
        }
    }
    return -1;
}

void UnregisterTemporary(int slot) noexcept {
    if (slot >= 0 && slot < kSlots) {
        slots[slot].state.store(kFree);
    }
}

void RemoveRegisteredTemporaries() noexcept {
    for (Slot& slot : slots) {
        if (slot.state.load() == kInUse) {
            ::unlink(slot.path);
        }
    }
}

#endif

} // namespace zum
