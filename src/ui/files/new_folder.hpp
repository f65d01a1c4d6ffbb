#pragma once

#include <QString>

namespace zum {

// Whether `name` names one new folder inside the current one: not empty, not
// the current folder ("."), holding neither a path separator ("/" or "\")
// nor "..", nor a NUL character. Anything else is left to the file system.
[[nodiscard]] bool IsAcceptableFolderName(const QString& name);

// Creates the folder `folder` + separator + `name` (the separator is added
// even when `folder` already ends in one; the doubled separator reaches the
// same place). False when the name is refused or the creation fails, for
// instance because the folder exists or its parent does not.
[[nodiscard]] bool CreateFolderIn(const QString& folder, const QString& name);

} // namespace zum
