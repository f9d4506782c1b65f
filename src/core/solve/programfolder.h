#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vexil {

// The folder of the solvers' input and output files and their working folder, with its
// trailing separator: the program's own folder where the user can write there (a portable
// install, a build folder), otherwise the per-user data folder + "solve/", created when
// needed. An installed program (in /usr/bin, where only root writes) always takes the
// per-user folder.
QString ProgramFolder();
// The same choice for a given program folder and per-user folder, neither with a trailing
// separator. The per-user folder is returned even if it cannot be created; writing the first
// input file then reports it.
QString ChooseProgramFolder(const QString& applicationFolder, const QString& perUserFolder);

// The lines of the solve window's text as a memo holds them: a final line break starts no
// line, and an empty text has no lines.
QStringList PaneLines(const QString& text);

// Writes a solver's input file, every line ending in CR LF, in Windows-1252, as a new file:
// whatever had the name before (a link included) is removed, never written through.
// Throws Failure: a refusal naming the line of a character Windows-1252 cannot hold, or
// "Cannot create file %s".
void WriteSolverInput(const QString& path, const QStringList& lines);
// Removes the output file of the last run; a missing file is no error. Throws Failure when
// the file stays, for the new run's output would otherwise be mixed up with the old one's.
void RemoveSolverOutput(const QString& path);
// The most of an output file that is read for showing: its end, where a solver's answer is.
constexpr qint64 kShownOutputLimit = 2 * 1024 * 1024;
// The output file's lines; none when it cannot be read or is no regular file. Of a file longer
// than `limit` only the lines of its last `limit` bytes are read, after a first line that says
// so.
std::optional<QStringList> ReadSolverOutput(const QString& path, qint64 limit = kShownOutputLimit);

} // namespace vexil
