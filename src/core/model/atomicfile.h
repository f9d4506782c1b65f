#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

namespace vexil {

// Every file Vexil writes whole goes through WriteFileAtomically: the bytes go to a new file
// beside the target, which then replaces it by a rename, so a failed write leaves the old file
// as it was. What stands at the final name is never written through: a link (even one to a
// regular file), a device, a pipe or a folder stays as it is, and so does a read-only file,
// whoever runs the program. A file that is replaced keeps its permissions.
//
// Where the folder takes no new file but the file itself may be written (`InPlace::Allowed`),
// the file is written in place instead; a failed write can then leave it cut short.
//
// Every refusal and failure throws Failure "Cannot create file %1".
enum class InPlace { Never, Allowed };

// `body` writes the file's bytes into the device it is given and returns false when a write
// failed.
using FileBody = std::function<bool(QIODevice&)>;

void WriteFileAtomically(const QString& path, const FileBody& body,
                         InPlace inPlace = InPlace::Never);
void WriteFileAtomically(const QString& path, QByteArrayView bytes,
                         InPlace inPlace = InPlace::Never);

// A scratch file that another program reads (a solver's input): whatever has the name is
// removed first (a link itself, never what it points to), then the file is made anew, so that
// no link or file put there by someone else is ever written through. Throws Failure
// "Cannot create file %1".
void CreateScratchFile(const QString& path, QByteArrayView bytes);

} // namespace vexil
