#include "verify/popeyeoutput.h"

#include "solution/solution.h"
#include "verify/movecompare.h"

#include <QHash>
#include <QRegularExpression>

namespace vexil {

namespace {

struct OutcomeName {
    Outcome outcome;
    const char* text;
};
constexpr OutcomeName kOutcomeNames[] = {
    {Outcome::Sound, "sound"},
    {Outcome::Cooked, "cooked"},
    {Outcome::NoSolution, "no solution"},
    {Outcome::TimeLimit, "time limit"},
    {Outcome::InputError, "input error"},
    {Outcome::Failed, "failed"},
    {Outcome::Refused, "refused"},
};

QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> lines;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        lines.append(line);
    }
    // A final line break starts no line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isBoardFrame(QStringView line)
{
    return line.startsWith(u"+---a---b---c");
}

std::optional<PopeyeReport::End> endLine(QStringView line)
{
    if (line.startsWith(u"solution finished."))
        return PopeyeReport::End::Finished;
    if (line.startsWith(u"solving interrupted."))
        return PopeyeReport::End::Interrupted;
    if (line.startsWith(u"Partial solution"))
        return PopeyeReport::End::Partial;
    return std::nullopt;
}

// "a) ", "b) wRg6-->g7", "+c) -bPc4": a twin's heading; "+" marks a continued twin.
QString twinLabel(QStringView line)
{
    static const QRegularExpression heading(QStringLiteral("^\\+?([a-z]{1,2})\\)(\\s|$)"));
    if (line.left(4).indexOf(u')') < 0)
        return QString();
    const QRegularExpressionMatch match = heading.match(line.toString());
    return match.hasMatch() ? match.captured(1) : QString();
}

// The first move of a line, behind "1." or "1...".
QString firstMoveAfter(QStringView line, qsizetype at)
{
    QStringView rest = line.mid(at);
    while (rest.startsWith(u'.'))
        rest = rest.mid(1);
    const qsizetype end = rest.indexOf(u' ');
    return (end < 0 ? rest : rest.left(end)).toString();
}

// Direct play: "   1.Rb3-g3 ! threat:", "   1.Qg1-g7 # !" (a key), "   1.Qh4-h7 ? zugzwang."
// (a try). Exactly three blanks: set play and threats are indented further.
bool isDirectLine(QStringView line)
{
    return line.startsWith(u"   1.") && line.size() > 5 && line[5] != u'.';
}
bool isKey(QStringView line)
{
    for (QStringView token : line.mid(5).split(u' ', Qt::SkipEmptyParts))
        if (token == u"!")
            return true;
    return false;
}
// Help and series play: "  1.Rf5-f2 Rg6-d6   2.Rf2-b2 Rd6-d1 #", "  1...Sb1-c3   2.f7-f5 ...".
bool isHelpLine(QStringView line)
{
    return line.startsWith(u"  1.");
}

QString offendingItem(QStringView line)
{
    static const QRegularExpression item(
        QStringLiteral("(?:offending item|element d'offenser):\\s*(.*)$"));
    if (!line.contains(u"offending item") && !line.contains(u"element d'offenser"))
        return QString();
    const QRegularExpressionMatch match = item.match(line.toString());
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

} // namespace

QString OutcomeText(Outcome outcome)
{
    for (const OutcomeName& name : kOutcomeNames)
        if (name.outcome == outcome)
            return QString::fromLatin1(name.text);
    return QString();
}

std::optional<Outcome> OutcomeFromText(QStringView text)
{
    for (const OutcomeName& name : kOutcomeNames)
        if (text == QLatin1String(name.text))
            return name.outcome;
    return std::nullopt;
}

const QList<Outcome>& AllOutcomes()
{
    static const QList<Outcome> all{Outcome::Sound,     Outcome::Cooked,     Outcome::NoSolution,
                                    Outcome::TimeLimit, Outcome::InputError, Outcome::Failed,
                                    Outcome::Refused};
    return all;
}

bool PopeyeReport::directPlay() const
{
    for (const PopeyeTwin& twin : twins)
        if (!twin.keys.isEmpty())
            return true;
    return false;
}

int PopeyeReport::solutionCount() const
{
    int count = 0;
    for (const PopeyeTwin& twin : twins)
        count += int(twin.keys.size() + twin.solutions.size());
    return count;
}

QStringList PopeyeReport::firstMoves() const
{
    QStringList moves;
    for (const PopeyeTwin& twin : twins) {
        for (const QString& move : twin.keys + twin.solutions)
            if (!moves.contains(move))
                moves.append(move);
    }
    return moves;
}

PopeyeReport ParsePopeyeOutput(QStringView out, QStringView err)
{
    PopeyeReport report;
    report.twins.append(PopeyeTwin{});
    const QList<QStringView> lines = splitLines(out);

    // The solution text starts behind the version line and, when a board was printed,
    // behind the block of board, stipulation and conditions that ends with a blank line.
    qsizetype first = 0;
    if (!lines.isEmpty() && lines.first().startsWith(u"Popeye "))
        first = 1;
    qsizetype lastFrame = -1;
    for (qsizetype i = first; i < lines.size(); ++i) {
        if (endLine(lines[i]))
            break;
        if (isBoardFrame(lines[i]))
            lastFrame = i;
    }
    if (lastFrame >= 0) {
        first = lastFrame + 1;
        while (first < lines.size() && !lines[first].trimmed().isEmpty())
            ++first;
    }

    QStringList text;
    bool twinsNamed = false;
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (const auto end = endLine(line)) {
            report.end = *end;
            break;
        }
        text.append(line.toString());
        if (const QString label = twinLabel(line); !label.isEmpty()) {
            // What came before the first heading (a zero position) is no twin.
            PopeyeTwin& last = report.twins.last();
            if (!twinsNamed && last.keys.isEmpty() && last.solutions.isEmpty())
                report.twins.removeLast();
            twinsNamed = true;
            report.twins.append(PopeyeTwin{label, {}, {}});
        } else if (isDirectLine(line)) {
            if (isKey(line))
                report.twins.last().keys.append(firstMoveAfter(line, 5));
        } else if (isHelpLine(line)) {
            report.twins.last().solutions.append(firstMoveAfter(line, 4));
        }
    }
    // With both streams merged, complaints stand before the board as well.
    for (qsizetype i = 0; i < lines.size() && report.inputError.isEmpty(); ++i) {
        if (endLine(lines[i]))
            break;
        report.inputError = offendingItem(lines[i]);
    }
    while (!text.isEmpty() && text.first().trimmed().isEmpty())
        text.removeFirst();
    while (!text.isEmpty() && text.last().trimmed().isEmpty())
        text.removeLast();
    report.solutionText = text.join(u'\n');

    // Complaints: the offending item where Popeye names one, else its first line.
    QString firstComplaint;
    for (QStringView line : splitLines(err)) {
        if (report.inputError.isEmpty())
            report.inputError = offendingItem(line);
        if (firstComplaint.isEmpty())
            firstComplaint = line.trimmed().toString();
    }
    if (report.inputError.isEmpty())
        report.inputError = firstComplaint;
    return report;
}

int ExpectedSolutions(const QStringList& storedSolution, const QString& twinLabel,
                      const QList<Twin>& positions)
{
    const Solution solution = ReadSolution(storedSolution, positions);
    // Help play read without its stipulation takes its lines for keys, or for set play when
    // White moves first.
    auto counted = [&](int twin) {
        int count = 0, black = 0;
        bool tried = false;
        for (const SolutionLine& line : solution.lines) {
            if (line.twin != twin)
                continue;
            count += line.role == LineRole::Key || line.role == LineRole::Solution;
            black += line.role == LineRole::SetPlay;
            tried = tried || line.role == LineRole::Try;
        }
        return count > 0 || tried ? count : black;
    };
    bool labels = false;
    for (const QString& line : storedSolution)
        labels = labels || !StoredTwinLabel(line).isEmpty();
    if (!labels || twinLabel.isEmpty()) {
        int total = 0;
        for (int twin = 0; twin < solution.twins.size(); ++twin)
            total += counted(twin);
        return qMax(total, 1);
    }
    const int twin = solution.twinOf(twinLabel);
    bool named = false;
    for (const QString& line : storedSolution)
        named = named || StoredTwinLabel(line) == twinLabel;
    if (twin < 0 || !named)
        return 1;
    // A twin the stored solution names without a solution line ("b) ...", or a twin Popeye
    // found nothing for, copied from its output) tells nothing of its count.
    const int count = counted(twin);
    return count == 0 ? -1 : count;
}

Verdict JudgeReport(const PopeyeReport& report, const QStringList& storedSolution, bool killed,
                    bool crashed, const QList<Twin>& positions)
{
    if (!report.inputError.isEmpty())
        return {Outcome::InputError, report.inputError};
    const bool interrupted = killed || report.end == PopeyeReport::End::Interrupted;

    const bool direct = report.directPlay();
    bool cooked = false;
    bool missing = false;
    for (const PopeyeTwin& twin : report.twins) {
        const int found = int(direct ? twin.keys.size() : twin.solutions.size());
        const int expected = direct ? 1 : ExpectedSolutions(storedSolution, twin.label, positions);
        if (expected < 0)
            continue;
        cooked = cooked || found > expected;
        missing = missing || found < expected;
    }
    // More solutions than intended is a finding even when the search did not finish.
    if (cooked)
        return {Outcome::Cooked, QString(), interrupted};
    if (interrupted)
        return {Outcome::TimeLimit, killed ? QStringLiteral("ended at the deadline") : QString(),
                true};
    if (report.end == PopeyeReport::End::None)
        return {Outcome::Failed,
                crashed ? QStringLiteral("Popeye crashed") : QStringLiteral("no end line")};
    if (missing)
        return {Outcome::NoSolution, report.solutionCount() > 0
                                         ? QStringLiteral("fewer solutions than stored")
                                         : QString()};
    return {Outcome::Sound, QString()};
}

} // namespace vexil
