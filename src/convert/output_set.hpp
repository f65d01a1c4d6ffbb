#pragma once

#include "output_file.hpp"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zum {

// The outputs of one run, replaced together: after Commit either every one is
// new or every one is as it was. Any writer of the run adds its files with
// Add; Commit or Discard ends the set, and destroying it discards what is
// left.
//
// On Linux each new file is swapped with the old one (renameat2 with
// RENAME_EXCHANGE), so a failed swap can swap the earlier ones back; a new
// name is simply renamed into place. The old copies are removed only once
// every swap has succeeded, and INT, TERM and HUP wait until then, so a
// handler that removes the temporaries (RemoveRegisteredTemporaries) never
// runs between two swaps. What no program can prevent: a power cut or a
// kill -9 between two swaps leaves some outputs new and the old copies under
// hidden temporary names.
class OutputSet {
public:
    OutputSet() = default;
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;
    ~OutputSet() { Discard(); }

    // Starts a new member, written to a temporary beside `finalPath`. Null on
    // failure, with `error` naming the file and the cause.
    OutputFile* Add(const std::filesystem::path& finalPath, std::string& error);
    // Makes a file created elsewhere a member, for a writer that fills and
    // closes it in its own way (Commit closes it if it is still open). The
    // file must outlive the set.
    void Join(OutputFile& file);

    // True once a write to any member has failed.
    [[nodiscard]] bool Failed() const;

    // Closes every member and moves them all into place, or none. On failure
    // `error` names the file and the cause and nothing is left behind.
    bool Commit(std::string& error);
    // Removes every member's temporary; the previous files stay as they were.
    void Discard();

private:
    std::vector<OutputFile*> files_;
    std::vector<std::unique_ptr<OutputFile>> owned_;
};

} // namespace zum
