#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zum {

// Replaces the file at `path` with `content`: the bytes go to a temporary
// beside it, which is then renamed over the old file, so a reader sees the
// old file or the new one and a failed save leaves the old file intact. On
// failure returns false and sets `reason` to why.
bool SaveFileAtomically(const std::filesystem::path& path, std::string_view content,
                        std::string& reason);

} // namespace zum
