// Hostile files, small on disk, that once took gigabytes or minutes: each is converted or
// refused, and its time is printed as a ratio to reading the same file and counting its lines
// (the baseline, measured in the same run).
//   bench_hostile            every case
//   bench_hostile NAME       one case, for measuring its memory from outside (time -v)
#include "interchange/convert.h"
#include "model/failure.h"
#include "model/problem.h"
#include "settings/store.h"
#include "views/search.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace vexil;

namespace {

QByteArray popeyeKeywords(int repeat)
{
    return "BeginProblem\n" + QByteArray("Pieces ").repeated(repeat) + "\nEndProblem\n";
}

QByteArray popeyeCarriageReturns(int problems)
{
    return QByteArray("BeginProblem\rPieces White Ka1 Black Kc3\rStipulation #2\rNextProblem\r")
               .repeated(problems) +
           "EndProblem\r";
}

QByteArray pbmSharing(int records)
{
    QByteArray bytes;
    bytes += char((records - 1) & 0xFF);
    bytes += char((records - 1) >> 8);
    const quint32 textAt = quint32(2 + 96 * records);
    for (int r = 0; r < records; ++r) {
        QByteArray record(96, 'A');
        for (int field = 4; field <= 28; field += 4)
            for (int b = 0; b < 4; ++b)
                record[field + b] = char((textAt >> (8 * b)) & 0xFF);
        bytes += record;
    }
    return bytes + QByteArray("\xff\xff", 2) + QByteArray(65535, 'x');
}

QByteArray oliveReuse(int uses, int listSize)
{
    QByteArray bytes = "---\nalgebraic:\n  white: [Ka1]\nlist: &list [" +
                       (QByteArray(1000, 'x') + ", ").repeated(listSize) + "x]\n";
    for (int use = 0; use < uses; ++use)
        bytes += "k" + QByteArray::number(use) + ": *list\n";
    return bytes;
}

QByteArray olivePieceLists(qsizetype size)
{
    const QByteArray entry =
        "---\nalgebraic:\n  white: [" + QByteArray("Ka1, ").repeated(30000) + "Kb1]\n";
    return entry.repeated(size / entry.size() + 1);
}

QByteArray oliveLongText(qsizetype size)
{
    return "---\nalgebraic:\n  white: [Ka1]\nsolution: " + QByteArray(size, 's') + "\n";
}

QByteArray settingsValues(int values)
{
    QByteArray text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\X]\n";
    for (int v = 0; v < values; ++v)
        text += "\"v" + QByteArray::number(v) + "\"=dword:00000001\n";
    return text;
}

struct Case {
    const char* name;
    const char* file;
    std::function<QByteArray()> make;
    std::function<QString(const QString& path, const QByteArray& bytes)> run;
};

QString converted(const ConvertedFile& file)
{
    return QStringLiteral("%1 items, report of %2 characters")
        .arg(file.lines.size() / kItemLines - 1)
        .arg(file.report.text().size());
}

const QList<Case>& cases()
{
    static const QList<Case> all = {
        {"popeye-keywords", "k.inp", [] { return popeyeKeywords(10000); },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"popeye-keywords-10mb", "k.inp", [] { return popeyeKeywords(1500000); },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"popeye-words-50mb", "w.inp",
         [] { return "BeginProblem\nCondition " + QByteArray("a ").repeated(25 << 20) + "\n"; },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"popeye-cr", "cr.inp", [] { return popeyeCarriageReturns(20000); },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"pbm-shared-104k", "s.pbm", [] { return pbmSharing(400); },
         [](const QString&, const QByteArray& b) {
             return QStringLiteral("%1 lines").arg(ConvertPbm(b).size());
         }},
        {"pbm-shared-1m", "s.pbm", [] { return pbmSharing(10000); },
         [](const QString&, const QByteArray& b) {
             return QStringLiteral("%1 lines").arg(ConvertPbm(b).size());
         }},
        {"olive-1000-uses", "u.olv", [] { return oliveReuse(1000, 1000); },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"olive-10000-uses", "u.olv", [] { return oliveReuse(10000, 1000); },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"olive-piece-lists-20mb", "p.olv", [] { return olivePieceLists(20 << 20); },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"olive-long-text-100mb", "t.olv", [] { return oliveLongText(100 << 20); },
         [](const QString& p, const QByteArray&) { return converted(ConvertInterchangeFile(p)); }},
        {"settings-80000", "s.reg", [] { return settingsValues(80000); },
         [](const QString& p, const QByteArray&) {
             FileSettingsStore store(p);
             return store.damage().isEmpty() ? QStringLiteral("read") : store.damage();
         }},
        {"find-2mb-line", "f.txt", [] { return QByteArray(2 << 20, 'a'); },
         [](const QString&, const QByteArray& b) {
             const TextFinder finder(QLatin1Char('b') + QString(32766, QLatin1Char('a')));
             return QStringLiteral("found at %1").arg(finder.find(b));
         }},
    };
    return all;
}

double millisecondsOf(const std::function<void()>& body)
{
    QElapsedTimer timer;
    timer.start();
    body();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    const QByteArray only = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    for (const Case& c : cases()) {
        if (!only.isEmpty() && only != c.name)
            continue;
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        QByteArray bytes = c.make();
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return 1;
        }
        const qsizetype size = bytes.size();
        // The baseline: the file read whole and its lines counted.
        qsizetype lines = 0;
        const double baseline = millisecondsOf([&] {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                lines = file.readAll().count('\n');
        });
        QString outcome;
        const double took = millisecondsOf([&] {
            try {
                outcome = c.run(path, bytes);
            } catch (const Failure& f) {
                outcome = QStringLiteral("refused: ") + f.message;
            }
        });
        std::printf("%-24s %9.1f KB  %8.1f ms  %7.1f x read  %s\n", c.name, size / 1024.0, took,
                    took / qMax(baseline, 0.01), qPrintable(outcome.left(150)));
        std::fflush(stdout);
        Q_UNUSED(lines);
    }
    return 0;
}
