#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vexil::test {

// Runs an outside program (pdflatex, pdftotext) in `folder` and gives what it printed, both
// streams together; `exitCode`, when given, gets its exit code (-1 when it crashed).
inline QString RunProgram(const QString& program, const QStringList& arguments,
                          const QString& folder, int* exitCode = nullptr)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(600000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

} // namespace vexil::test
