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
// expected, or a number that does not fit keeps the values read before that
// line; the rest keep what they had. Returns whether the file was opened.
bool ReadSettingsFile(Configuration& config, const std::filesystem::path& path);

// Writes the 34-line layout to a temporary beside `path` and renames it into
// place, so a failed save leaves the previous file intact. On failure returns
// false and sets `message` to "Unable to save " followed by the path.
bool WriteSettingsFile(const Configuration& config, const std::filesystem::path& path,
                       std::string& message);

} // namespace zum
