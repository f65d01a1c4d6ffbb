#pragma once

#include "configuration.hpp"

#include <filesystem>
#include <string>

namespace zum {

// Where the settings file lives: $XDG_CONFIG_HOME (or ~/.config)
// /zum-settings.dat, or c:\zum-settings.dat on Windows.
std::filesystem::path DefaultSettingsPath();

// Fills lines 2 to 13 of the layout into `config`. A missing or unreadable
// file changes nothing. A file that ends early, holds text where a number is
// expected, a number that does not fit, or a line far longer than any of the
// layout's keeps the values read before that line; the rest keep what they
// had. Returns whether the file was opened. Only a regular file (or the null
// device) is read, so reading never waits on a FIFO or a device; when the
// file exists but cannot be read (no permission, a folder, a FIFO, a device)
// `problem`, if given, is set to why, and is emptied otherwise.
bool ReadSettingsFile(Configuration& config, const std::filesystem::path& path,
                      std::string* problem = nullptr);

// Writes the 34-line layout in place of `path` (see SaveFileAtomically), so a
// failed save leaves the previous file intact. On failure returns false and
// sets `message` to "Unable to save " followed by the path, ": " and why.
bool WriteSettingsFile(const Configuration& config, const std::filesystem::path& path,
                       std::string& message);

} // namespace zum
