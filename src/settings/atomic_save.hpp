#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zum {

// Replaces the file at `path` with `content`: the bytes go to a temporary of
// its own beside the file (a unique name, created exclusively, so two saves
// at once never share one), reach the disk, and the temporary is then renamed
// over the old file. A reader sees the old file or the new one, never a torn
// one, and a failed save leaves the old file intact. A path that is a
// symbolic link keeps the link: the file it leads to is replaced. The new
// file keeps the old one's mode. On failure returns false and sets `reason`
// to why.
bool SaveFileAtomically(const std::filesystem::path& path, std::string_view content,
                        std::string& reason);

// SaveFileAtomically for a settings file: on failure `message` is
// "Unable to save " & path & ": " & the reason, as the window shows it;
// on success it is cleared.
bool SaveSettingsText(const std::filesystem::path& path, std::string_view content,
                      std::string& message);

} // namespace zum
