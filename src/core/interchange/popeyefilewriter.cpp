#include "interchange/popeyefile.h"

#include "interchange/piecenames.h"
#include "model/cp1252.h"
#include "model/piece.h"

namespace vexil {
namespace {

QByteArray encodeLine(const QString& line, QStringList& notes)
{
    QByteArray out;
    if (cp1252::encode(line, out))
        return out;
    QString kept;
    for (QChar c : line) {
        if (cp1252::canEncode(QStringView(&c, 1))) {
            kept += c;
        } else {
            kept += QLatin1Char('?');
            notes << QStringLiteral("text: character U+%1 written as \"?\"")
                         .arg(QString::number(c.unicode(), 16)
                                  .toUpper()
                                  .rightJustified(4, QLatin1Char('0')));
        }
    }
    cp1252::encode(kept, out);
    return out;
}

void appendProblems(ExportedFile& file, const QList<Item>& items, const PopeyeText& popeyeText,
                    const QList<int>& numbers, bool first)
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        QStringList notes = PopeyeFileLosses(items[i]);
        QStringList lines = popeyeText(items[i]);
        // One problem's text runs from BeginProblem to EndProblem; in a file of several the
        // problems are separated by NextProblem instead.
        if (!lines.isEmpty() && lines.first().trimmed() == QLatin1String("BeginProblem"))
            lines.removeFirst();
        if (!lines.isEmpty() && lines.last().trimmed() == QLatin1String("EndProblem"))
            lines.removeLast();
        file.bytes += first ? "BeginProblem\r\n" : "NextProblem\r\n";
        first = false;
        for (const QString& line : lines) {
            if (line.size() > 255)
                notes << QStringLiteral("text: a line of %1 characters is too long for Popeye")
                             .arg(line.size());
            file.bytes += encodeLine(line, notes) + "\r\n";
        }
        const QString label =
            QStringLiteral("item %1").arg(i < numbers.size() ? numbers[i] : int(i) + 1);
        for (const QString& n : notes)
            file.report.add(int(i) + 1, label, n);
    }
    if (!items.isEmpty())
        file.bytes += "EndProblem\r\n";
}

} // namespace

QStringList PopeyeFileLosses(const Item& item)
{
    QStringList notes;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const Piece p(item.board.at(r, c));
            if (p.isEmpty())
                continue;
            const QString where = names::Describe(p.code(), r, c);
            if (p.isMarker())
                notes << QStringLiteral("board: %1 left out").arg(where);
            else if (!p.isPiece() || !p.isKnown())
                notes << QStringLiteral("board: %1 (not a piece the editor makes)").arg(where);
            else if (p.isFairy() && KindCode(p.kind()) == QLatin1String("AG"))
                notes
                    << QStringLiteral("board: %1: Popeye has no Andernach grasshopper").arg(where);
            else if (p.isFairy() && (p.specification() == 7 || p.specification() == 11))
                notes << QStringLiteral("board: Popeye rejects the specification of the %1")
                             .arg(where);
            else if (p.isFairy() && p.specification() == 0 && !p.isNeutral() &&
                     names::CodeOf(names::SideOf(p.code()), p.kind(), 0) != p.code())
                notes << QStringLiteral("board: fairy %1 reads back as the piece of its own base")
                             .arg(where);
        }
    if (item.stipulation.contains(QLatin1Char(' ')))
        notes << QStringLiteral("stipulation: \"%1\" holds blanks").arg(item.stipulation);
    for (const QString& twin : item.twins)
        if (twin.contains(QLatin1String("AfterKey")))
            notes << QStringLiteral("twins: \"%1\": Popeye does not support \"AfterKey\" twin")
                         .arg(twin);
    if (!item.solution.isEmpty())
        notes << QStringLiteral("solution: a Popeye file has no place for the solution");
    return notes;
}

ExportedFile WritePopeyeFile(const QList<Item>& items, const PopeyeText& popeyeText,
                             const QList<int>& numbers)
{
    ExportedFile file;
    appendProblems(file, items, popeyeText, numbers, true);
    return file;
}

ExportedFile AppendPopeyeFile(QByteArrayView existing, const QList<Item>& items,
                              const PopeyeText& popeyeText, const QList<int>& numbers)
{
    ExportedFile file;
    QByteArray bytes = existing.toByteArray();
    // The last "EndProblem" of the file, on a line of its own, becomes "NextProblem".
    qsizetype end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r' || bytes[end - 1] == ' '))
        --end;
    const QByteArray keyword = "EndProblem";
    const bool joined =
        end >= keyword.size() &&
        bytes.sliced(end - keyword.size(), keyword.size()).compare(keyword, Qt::CaseInsensitive) ==
            0;
    if (joined && !items.isEmpty()) {
        bytes.truncate(end - keyword.size());
        file.bytes = bytes;
        appendProblems(file, items, popeyeText, numbers, false);
    } else {
        file.bytes = bytes;
        if (!file.bytes.isEmpty() && !file.bytes.endsWith('\n'))
            file.bytes += "\r\n";
        appendProblems(file, items, popeyeText, numbers, true);
    }
    return file;
}

} // namespace vexil
