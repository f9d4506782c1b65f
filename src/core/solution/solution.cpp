#include "solution/solution.h"

#include <QRegularExpression>

namespace vexil {

namespace {

struct Token {
    QString text;
    qsizetype start;
};

QList<Token> tokens(const QString& line, qsizetype from)
{
    QList<Token> list;
    qsizetype i = from;
    while (i < line.size()) {
        while (i < line.size() && line[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !line[i].isSpace())
            ++i;
        if (i > start)
            list << Token{line.mid(start, i - start), start};
    }
    return list;
}

// Words that stand between moves and say something of the move before them.
bool isRemark(const QString& word)
{
    static const QStringList remarks = {
        QStringLiteral("zz"),      QStringLiteral("zugzwang"), QStringLiteral("zugzwang."),
        QStringLiteral("threat:"), QStringLiteral("threat"),   QStringLiteral("ep."),
        QStringLiteral("e.p."),    QStringLiteral("but"),      QStringLiteral("z"),
    };
    if (remarks.contains(word.toLower()))
        return true;
    for (QChar c : word)
        if (!QStringLiteral("+#=!?").contains(c))
            return false;
    return !word.isEmpty();
}

// Where one section of the text (one twin) stands while its lines are read.
struct Section {
    struct Reached {
        int ply;
        Board after;
        int line;
    };
    int twin = 0;
    QList<Reached> reached; // by rising ply: the latest move of each ply still in play
    bool firstMoveSeen = false;
    bool afterBut = false;
};

struct Rules {
    bool help = false;
    bool series = false;
    bool whiteToPlay = false;
};

Rules rulesOf(const SolutionTwin& twin, const QString& condition)
{
    Rules rules;
    rules.help = IsHelpPlay(twin.stipulation);
    rules.series = IsSeriesPlay(twin.stipulation);
    rules.whiteToPlay = condition.contains(QLatin1String("WhiteToPlay"), Qt::CaseInsensitive);
    return rules;
}

LineRole roleOf(const SolutionLine& line, const Section& section, const Rules& rules, int parentPly,
                const QList<SolutionLine>& lines)
{
    if (line.moves.isEmpty())
        return LineRole::Text;
    const SolutionMove& first = line.moves.first();
    if (rules.help || rules.series) {
        if (first.ply == 0 || (first.ply % 2 == 1 && rules.whiteToPlay && line.parent < 0))
            return LineRole::Solution;
        if (line.parent < 0)
            return LineRole::SetPlay;
        return LineRole::Continuation;
    }
    if (first.ply == 0)
        return first.markedTry() ? LineRole::Try : LineRole::Key;
    if (line.parent < 0 && first.ply % 2 == 1 && !section.firstMoveSeen)
        return LineRole::SetPlay;
    if (first.ply % 2 == 1) {
        const bool underTry = line.parent >= 0 && lines[line.parent].role == LineRole::Try;
        if (section.afterBut || (underTry && first.markedKey()))
            return LineRole::Refutation;
        return LineRole::Variation;
    }
    if (first.ply - parentPly == 2)
        return LineRole::Threat;
    return LineRole::Continuation;
}

} // namespace

bool IsHelpPlay(const QString& stipulation)
{
    static const QRegularExpression help(QStringLiteral("^(p?ser-)?h"),
                                         QRegularExpression::CaseInsensitiveOption);
    return help.match(stipulation.trimmed()).hasMatch();
}

bool IsSeriesPlay(const QString& stipulation)
{
    return stipulation.trimmed().startsWith(QLatin1String("ser-"), Qt::CaseInsensitive) ||
           stipulation.trimmed().startsWith(QLatin1String("pser-"), Qt::CaseInsensitive);
}

bool SolutionMove::sameMoveAs(const SolutionMove& other) const
{
    if (!played() || !other.played() || from != other.from || to != other.to)
        return false;
    if (notation.promotion.isEmpty() || other.notation.promotion.isEmpty())
        return true;
    return after.at(to.row, to.column) == other.after.at(to.row, to.column);
}

QList<SolutionMove> Solution::keys(int twin) const
{
    QList<SolutionMove> found;
    for (const SolutionLine& line : lines)
        if (line.twin == twin && !line.moves.isEmpty() &&
            (line.role == LineRole::Key || line.role == LineRole::Solution))
            found << line.moves.first();
    return found;
}

QList<SolutionMove> Solution::tries(int twin) const
{
    QList<SolutionMove> found;
    for (const SolutionLine& line : lines)
        if (line.twin == twin && line.role == LineRole::Try && !line.moves.isEmpty())
            found << line.moves.first();
    return found;
}

int Solution::twinOf(const QString& label) const
{
    for (qsizetype i = 0; i < twins.size(); ++i)
        if (twins[i].label == label)
            return int(i);
    return -1;
}

QStringList Solution::errors() const
{
    QStringList found;
    for (const SolutionLine& line : lines)
        if (!line.error().isEmpty())
            found << line.error();
    return found;
}

Solution ReadSolution(const QStringList& text, const QList<Twin>& positions)
{
    static const QRegularExpression labelled(QStringLiteral("^\\s*(\\+?)([a-z]{1,2})\\)(\\s|$)"));
    static const QRegularExpression numbered(QStringLiteral("^(\\d{1,4})(\\.+)(.*)$"));

    Solution solution;
    QStringList conditions;
    for (const Twin& twin : positions.isEmpty() ? QList<Twin>{Twin{}} : positions) {
        solution.twins << SolutionTwin{twin.label, QString(), twin.continued, twin.board,
                                       twin.stipulation};
        conditions << twin.condition;
    }

    Section section;
    Rules rules = rulesOf(solution.twins.first(), conditions.first());
    // Every move keeps two boards: a text of any size must not take memory without bound.
    int movesRead = 0;
    bool limitReached = false;
    for (qsizetype index = 0; index < text.size(); ++index) {
        SolutionLine line;
        line.text = text[index];
        line.index = int(index);
        qsizetype from = 0;
        const QRegularExpressionMatch label = labelled.match(line.text);
        if (label.hasMatch()) {
            int twin = solution.twinOf(label.captured(2));
            if (twin < 0) {
                SolutionTwin added = solution.twins.first();
                added.label = label.captured(2);
                solution.twins << added;
                conditions << conditions.first();
                twin = int(solution.twins.size()) - 1;
            }
            solution.twins[twin].continued = !label.captured(1).isEmpty();
            section = Section{};
            section.twin = twin;
            rules = rulesOf(solution.twins[twin], conditions[twin]);
            from = label.capturedEnd(2) + 1;
            static const QRegularExpression firstNumber(QStringLiteral("(^|\\s)\\d{1,4}\\."));
            const QRegularExpressionMatch moveMatch = firstNumber.match(line.text, from);
            const qsizetype moveAt = moveMatch.hasMatch() ? moveMatch.capturedStart() : -1;
            const QString header = line.text.mid(from, moveAt < 0 ? -1 : moveAt - from).trimmed();
            if (!header.isEmpty() || solution.twins[twin].header.isEmpty())
                solution.twins[twin].header = header;
        }
        line.twin = section.twin;
        const Board& twinBoard = solution.twins[section.twin].board;

        int number = 0;
        bool secondHalf = false;
        bool pendingNumber = false;
        int parentPly = -1;
        const QList<Token> words = tokens(line.text, from);
        for (qsizetype w = 0; w < words.size(); ++w) {
            QString word = words[w].text;
            qsizetype start = words[w].start;
            const QRegularExpressionMatch m = numbered.match(word);
            if (m.hasMatch()) {
                number = m.captured(1).toInt();
                secondHalf = m.captured(2).size() >= 2;
                pendingNumber = true;
                word = m.captured(3);
                if (word.isEmpty())
                    continue;
                if (word.startsWith(u'.') || word == u"\u2026") {
                    secondHalf = true;
                    word.remove(QRegularExpression(QStringLiteral("^[.\u2026]+")));
                    if (word.isEmpty())
                        continue;
                }
            } else if (word == u"..." || word == u"\u2026") {
                if (pendingNumber)
                    secondHalf = true;
                continue;
            } else if (isRemark(word)) {
                if (word.toLower() == u"but")
                    section.afterBut = true;
                if (!line.moves.isEmpty()) {
                    SolutionMove& last = line.moves.last();
                    if (word.toLower().startsWith(u'e'))
                        last.notation.enPassant = true;
                    else if (!word.at(0).isLetter())
                        last.notation.marks += word;
                }
                continue;
            } else if (!pendingNumber && line.moves.isEmpty()) {
                break; // a line of words, no moves
            }

            SolutionMove move;
            move.text = words[w].text;
            move.start = start;
            if (movesRead >= kSolutionMoveLimit) {
                if (!limitReached) {
                    move.error = QStringLiteral("%1: not read, the solution has more than %2 moves")
                                     .arg(move.text)
                                     .arg(kSolutionMoveLimit);
                    line.moves << move;
                }
                limitReached = true;
                break;
            }
            ++movesRead;
            if (pendingNumber) {
                move.number = number;
                move.ply = rules.series ? number - 1 : 2 * (number - 1) + (secondHalf ? 1 : 0);
            } else {
                move.number = line.moves.last().number;
                move.ply = line.moves.last().ply + 1;
            }
            const Mover firstSide = rules.help ? Mover::Black : Mover::White;
            const Mover secondSide = rules.help ? Mover::White : Mover::Black;
            if (rules.series)
                move.mover = pendingNumber ? firstSide : secondSide;
            else
                move.mover = move.ply % 2 == 0 ? firstSide : secondSide;
            pendingNumber = false;
            secondHalf = false;

            // The position this move is played on: after the latest move of an earlier ply.
            while (!section.reached.isEmpty() && section.reached.last().ply >= move.ply)
                section.reached.removeLast();
            if (line.moves.isEmpty()) {
                line.parent = section.reached.isEmpty() ? -1 : section.reached.last().line;
                parentPly = section.reached.isEmpty() ? -1 : section.reached.last().ply;
            }
            move.before = section.reached.isEmpty() ? twinBoard : section.reached.last().after;
            move.after = move.before;

            const std::optional<MoveText> notation = ParseMoveText(word);
            if (!notation) {
                move.error = QStringLiteral("%1: not a move").arg(move.text);
                line.moves << move;
                break;
            }
            move.notation = *notation;
            const PlayedMove played = PlayMove(move.before, move.notation, move.mover, move.text);
            if (!played.error.isEmpty()) {
                move.error = played.error;
                line.moves << move;
                break;
            }
            move.from = played.from;
            move.to = played.to;
            move.after = played.after;
            section.reached << Section::Reached{move.ply, move.after, int(index)};
            line.moves << move;
        }

        line.role = roleOf(line, section, rules, parentPly, solution.lines);
        if (line.role == LineRole::Key || line.role == LineRole::Try)
            section.firstMoveSeen = true;
        if (line.role == LineRole::Refutation)
            section.afterBut = false;
        solution.lines << line;
    }
    return solution;
}

Solution ReadItemSolution(const Item& item)
{
    return ReadSolution(item.solution, BuildTwins(item));
}

} // namespace vexil
