#pragma once

#include <QString>

namespace vexil {

// A verification works in a folder of its own under the system's temporary folder, named
// after the process that made it, so that a later start can tell the folders left behind by
// a Vexil that was killed from those of one still running.

// The template for QTemporaryDir: "<temp>/vexil-verify-<pid>-XXXXXX".
QString VerifyFolderTemplate();

// Removes the verification folders in `tempFolder` whose process is gone: only folders (never
// links) of this user whose name carries a process number that no running process has.
// Returns how many were removed.
int RemoveStaleVerifyFolders(const QString& tempFolder);

} // namespace vexil
