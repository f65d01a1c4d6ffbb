#pragma once

#include <cstdint>
#include <filesystem>

namespace zum {

// Follows `path` while it is a symbolic link (not on Windows), so that a file reached through
// a link is replaced where it really is and the link itself stays. A path
// that is not a link is returned as it is. Returns false with errno set
// (ELOOP for a cycle) when a link cannot be read.
bool FollowLinks(const std::filesystem::path& path, std::filesystem::path& target);

// Creates a new, empty file for writing beside `target`, exclusively and
// under a fresh hidden name, so a stale or concurrent temporary is never
// reused or overwritten. The name is no longer than the target's own (for
// names of eight bytes or more), so it fits wherever the target's fits. The
// file gets the mode of the file it will replace, or the usual mode of a new
// file when there is none (on Windows: the default). Returns the descriptor,
// or -1 with errno set.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary);

// Makes what was written to the descriptor reach the disk (fsync).
bool SyncToDisk(int fd);

// Starts writing the given bytes of the file to disk and returns without
// waiting (Linux; elsewhere nothing is done). Only a hint: SyncToDisk is what
// makes them durable, and reports any error.
void StartWriteBack(int fd, std::uint64_t offset, std::uint64_t length);

} // namespace zum
