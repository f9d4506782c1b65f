#pragma once

#include <QStringList>
#include <QTextStream>

namespace vexil {

// Exit codes of the command line: done, a failure named on standard error, bad usage.
enum CliExit { kCliDone = 0, kCliFailed = 1, kCliUsage = 2 };

// Runs one command line (`arguments` without the program name). `progress`: a progress bar
// may be drawn on `err` (it is a terminal).
int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err, bool progress);

// True for the commands that draw diagrams (a PDF booklet, an SVG): they need a graphical
// application for their fonts and paint devices, though never a display.
bool CliNeedsGui(const QStringList& arguments);

} // namespace vexil
