#pragma once

#include <filesystem>

namespace zum {

// The temporaries that exist right now, so that a program ended by a signal
// can remove them from its handler. Registering and unregistering are safe
// from any thread; RemoveRegisteredTemporaries only calls unlink() over a
// fixed table, so it is safe in a signal handler. (On Windows nothing is
// registered.)

// Returns the slot, or -1 when the table is full or the path too long (that
// temporary is then not removed on a signal).
int RegisterTemporary(const std::filesystem::path& path) noexcept;
void UnregisterTemporary(int slot) noexcept;
void RemoveRegisteredTemporaries() noexcept;

} // namespace zum
