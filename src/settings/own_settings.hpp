#pragma once

#include <filesystem>
#include <string>

namespace zum {

// Settings of this program alone, kept out of the settings file it shares
// with the companion logger so that file's layout never changes. Stored as
// plain `key=value` lines in zum-points.conf beside the shared file.
struct OwnSettings {
    bool acceptOtherTalkers = false; // read $GNRMC, $GLGSA, ... as well as $GP sentences
    bool writeGpx = false;           // also write LOG.gpx beside the five draw files
};

// zum-points.conf in the folder of the default shared settings file.
std::filesystem::path DefaultOwnSettingsPath();

enum class OwnSettingsStatus {
    Read,    // every line understood
    Missing, // no file: everything stays off
    Damaged, // unreadable, too long, or a line not understood: what was understood is kept
};

// Fills `settings` from the file. Unknown keys are skipped, so a newer
// version's file still reads; a key with a value other than 0 or 1 is damage
// and leaves that setting as it was.
OwnSettingsStatus ReadOwnSettings(OwnSettings& settings, const std::filesystem::path& path);

// Saves atomically. On failure returns false and sets `message` to
// "Unable to save " followed by the path and the reason.
bool WriteOwnSettings(const OwnSettings& settings, const std::filesystem::path& path,
                      std::string& message);

} // namespace zum
