#include "solution/twins.h"

#include "interchange/piecenames.h"
#include "model/piece.h"
#include "model/transform.h"
#include "model/vocabulary.h"
#include "solution/move.h"

#include <QRegularExpression>
#include <QStringList>

namespace vexil {

namespace {

enum class Command {
    None,
    Move,
    Exchange,
    Remove,
    Substitute,
    Add,
    Rotate,
    Shift,
    PolishType,
    Stipulation,
    Condition,
    Mirror,
    AfterKey,
};

Command commandOf(const QString& word)
{
    static const struct {
        const char* name;
        Command command;
    } commands[] = {
        {"move", Command::Move},
        {"exchange", Command::Exchange},
        {"remove", Command::Remove},
        {"substitute", Command::Substitute},
        {"add", Command::Add},
        {"rotate", Command::Rotate},
        {"shift", Command::Shift},
        {"polishtype", Command::PolishType},
        {"stipulation", Command::Stipulation},
        {"condition", Command::Condition},
        {"mirror", Command::Mirror},
        {"afterkey", Command::AfterKey},
    };
    Command found = Command::None;
    int matches = 0;
    for (const auto& c : commands) {
        const QLatin1String name(c.name);
        if (word.compare(name, Qt::CaseInsensitive) == 0)
            return c.command;
        if (word.size() >= 2 && name.startsWith(word, Qt::CaseInsensitive)) {
            found = c.command;
            ++matches;
        }
    }
    return matches == 1 ? found : Command::None;
}

QString sideLetter(Piece piece)
{
    return piece.isNeutral() ? QStringLiteral("n")
           : piece.isWhite() ? QStringLiteral("w")
                             : QStringLiteral("b");
}

// "wRg6": how Popeye names a piece on its square in twin headers.
QString pieceOn(const Board& board, Square square)
{
    const Piece piece(board.at(square.row, square.column));
    return sideLetter(piece) + piece.letter().toUpper() + square.name();
}

QString emptySquare(Square square)
{
    return QStringLiteral("%1: square is empty - cannot (re)move any piece.").arg(square.name());
}

Board mapped(const Board& board, Square (*where)(int row, int column))
{
    Board result;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const Square s = where(r, c);
            result.at(s.row, s.column) = board.at(r, c);
        }
    return result;
}

// The commands of one twin line applied to `twin`, the header built on the way.
void applyLine(Twin& twin, const QStringList& words, qsizetype first)
{
    QStringList header;
    auto fail = [&](const QString& why) {
        twin.error = why;
        twin.header = header.join(QLatin1String("  "));
    };
    auto square = [&](qsizetype at) -> std::optional<Square> {
        if (at >= words.size())
            return std::nullopt;
        return Square::parse(words[at].toLower());
    };
    for (qsizetype i = first; i < words.size();) {
        const QString& word = words[i];
        const Command command = commandOf(word);
        Board& b = twin.board;
        switch (command) {
        case Command::None:
            return fail(QStringLiteral("%1: not a twin command").arg(word));
        case Command::AfterKey:
            return fail(QStringLiteral("AfterKey: the twin depends on the key"));
        case Command::Move:
        case Command::Exchange: {
            const auto from = square(i + 1), to = square(i + 2);
            if (!from || !to)
                return fail(QStringLiteral("%1: two squares expected").arg(word));
            if (b.at(from->row, from->column) == 0)
                return fail(emptySquare(*from));
            if (command == Command::Move) {
                header << pieceOn(b, *from) + QStringLiteral("-->") + to->name();
                b.at(to->row, to->column) = b.at(from->row, from->column);
                b.at(from->row, from->column) = 0;
            } else {
                if (b.at(to->row, to->column) == 0)
                    return fail(emptySquare(*to));
                header << pieceOn(b, *from) + QStringLiteral("<-->") + pieceOn(b, *to);
                std::swap(b.at(from->row, from->column), b.at(to->row, to->column));
            }
            i += 3;
            break;
        }
        case Command::Remove: {
            const auto at = square(i + 1);
            if (!at)
                return fail(QStringLiteral("%1: a square expected").arg(word));
            if (b.at(at->row, at->column) == 0)
                return fail(emptySquare(*at));
            header << QLatin1Char('-') + pieceOn(b, *at);
            b.at(at->row, at->column) = 0;
            i += 2;
            break;
        }
        case Command::Substitute: {
            if (i + 2 >= words.size())
                return fail(QStringLiteral("%1: two pieces expected").arg(word));
            const QString from = words[i + 1].toUpper(), to = words[i + 2].toUpper();
            const int kind = names::KindOfWalk(to);
            if (kind == 0 || names::KindOfWalk(from) == 0)
                return fail(QStringLiteral("%1: two pieces expected").arg(word));
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 8; ++c) {
                    const Piece piece(b.at(r, c));
                    if (piece.isPiece() && piece.letter().toUpper() == from)
                        b.at(r, c) = names::CodeOf(names::SideOf(piece.code()), kind,
                                                   piece.isFairy() ? piece.specification() : 0);
                }
            header << from + QStringLiteral(" ==> ") + to;
            i += 3;
            break;
        }
        case Command::Add: {
            if (i + 1 >= words.size())
                return fail(QStringLiteral("%1: a colour expected").arg(word));
            const QString colour = words[i + 1].toLower();
            names::Side side;
            if (QLatin1String("white").startsWith(colour) && !colour.isEmpty())
                side = names::Side::White;
            else if (QLatin1String("black").startsWith(colour) && !colour.isEmpty())
                side = names::Side::Black;
            else if (QLatin1String("neutral").startsWith(colour) && !colour.isEmpty())
                side = names::Side::Neutral;
            else
                return fail(QStringLiteral("%1: a colour expected").arg(words[i + 1]));
            i += 2;
            int specification = 0;
            bool added = false;
            while (i < words.size() && commandOf(words[i]) == Command::None) {
                if (const int s = names::SpecificationOfWord(words[i]); s > 0) {
                    specification = s;
                    ++i;
                    continue;
                }
                QString walk;
                QList<names::Square> squares;
                if (!names::ParsePieceToken(words[i], walk, squares) ||
                    names::KindOfWalk(walk) == 0)
                    return fail(QStringLiteral("%1: not a piece").arg(words[i]));
                const PieceCode code = names::CodeOf(side, names::KindOfWalk(walk), specification);
                for (const names::Square& s : squares) {
                    b.at(s.row, s.column) = code;
                    header << QLatin1Char('+') + pieceOn(b, {s.row, s.column});
                }
                added = true;
                ++i;
            }
            if (!added)
                return fail(QStringLiteral("%1: a piece expected").arg(word));
            break;
        }
        case Command::Rotate: {
            const QString angle = i + 1 < words.size() ? words[i + 1] : QString();
            // Popeye turns the board counter-clockwise: a1 goes to h1.
            if (angle == u"90")
                b = mapped(b, [](int r, int c) { return Square{7 - c, r}; });
            else if (angle == u"180")
                b = mapped(b, [](int r, int c) { return Square{7 - r, 7 - c}; });
            else if (angle == u"270")
                b = mapped(b, [](int r, int c) { return Square{c, 7 - r}; });
            else
                return fail(QStringLiteral("%1: 90, 180 or 270 expected").arg(word));
            header << QStringLiteral("rotate ") + angle;
            i += 2;
            break;
        }
        case Command::Mirror: {
            const QString axis = i + 1 < words.size() ? words[i + 1].toLower() : QString();
            if (axis == u"a1<-->h1")
                b = mapped(b, [](int r, int c) { return Square{r, 7 - c}; });
            else if (axis == u"a1<-->a8")
                b = mapped(b, [](int r, int c) { return Square{7 - r, c}; });
            else if (axis == u"a1<-->h8")
                b = mapped(b, [](int r, int c) { return Square{c, r}; });
            else if (axis == u"h1<-->a8")
                b = mapped(b, [](int r, int c) { return Square{7 - c, 7 - r}; });
            else
                return fail(QStringLiteral("%1: a1<-->h1, a1<-->a8, a1<-->h8 or h1<-->a8 "
                                           "expected")
                                .arg(word));
            header << QStringLiteral("mirror ") + axis;
            i += 2;
            break;
        }
        case Command::Shift: {
            const auto from = square(i + 1), to = square(i + 2);
            if (!from || !to)
                return fail(QStringLiteral("%1: two squares expected").arg(word));
            const int dr = to->row - from->row, dc = to->column - from->column;
            Board shifted;
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 8; ++c) {
                    if (b.at(r, c) == 0)
                        continue;
                    const Square s{r + dr, c + dc};
                    if (!s.isValid())
                        return fail(QStringLiteral("A piece will be moved outside."));
                    shifted.at(s.row, s.column) = b.at(r, c);
                }
            b = shifted;
            header << QStringLiteral("shift %1 ==> %2").arg(from->name(), to->name());
            i += 3;
            break;
        }
        case Command::PolishType:
            b = Transformed(b, Transformation::ExchangeColors);
            header << QStringLiteral("PolishType");
            ++i;
            break;
        case Command::Stipulation:
            if (i + 1 >= words.size())
                return fail(QStringLiteral("%1: a stipulation expected").arg(word));
            twin.stipulation = words[i + 1];
            header << twin.stipulation;
            i += 2;
            break;
        case Command::Condition:
            // A condition may have words of its own; it takes the rest of the line.
            twin.condition = words.mid(i + 1).join(u' ');
            header << twin.condition;
            i = words.size();
            break;
        }
    }
    twin.header = header.join(QLatin1String("  "));
}

// A twin written as Popeye heads it, after its label: "wRg6-->g7", "bSa1-h1",
// "Zebra e6 -> d6", "wQh1<-->wSe5", "-bPc4", "+wBc1", "Q ==> R", or commands ("rotate 90").
// Gives the commands it means; empty when it is none of these.
QStringList commandsOfHeader(const QString& text)
{
    const QString t = text.trimmed();
    const QStringList words = t.split(u' ', Qt::SkipEmptyParts);
    if (!words.isEmpty() && commandOf(words.first()) != Command::None)
        return words;
    if (const std::optional<QStringList> changes = PrintedTwinChanges(words))
        return *changes;
    // Collections write one change more loosely than Popeye prints it: the piece named in
    // words, blanks around the arrow, a pawn without its letter.
    static const QString piece = QStringLiteral("(?:[wbn]?[A-Z0-9]{0,2}|[A-Za-z]+\\s+)?");
    static const QRegularExpression exchange(
        QStringLiteral("^%1([a-h][1-8])\\s*<-+>\\s*%1([a-h][1-8])$").arg(piece));
    static const QRegularExpression move(
        QStringLiteral("^%1([a-h][1-8])\\s*-+>?\\s*([a-h][1-8])$").arg(piece));
    static const QRegularExpression remove(QStringLiteral("^-[wbn]?[A-Z0-9]{0,2}([a-h][1-8])$"));
    static const QRegularExpression add(QStringLiteral("^\\+([wbn])([A-Z0-9]{0,2})([a-h][1-8])$"));
    static const QRegularExpression substitute(
        QStringLiteral("^([A-Z0-9]{1,2})\\s*=+>\\s*([A-Z0-9]{1,2})$"));
    QRegularExpressionMatch m;
    if ((m = exchange.match(t)).hasMatch())
        return {QStringLiteral("Exchange"), m.captured(1), m.captured(2)};
    if ((m = move.match(t)).hasMatch())
        return {QStringLiteral("Move"), m.captured(1), m.captured(2)};
    if ((m = remove.match(t)).hasMatch())
        return {QStringLiteral("Remove"), m.captured(1)};
    if ((m = add.match(t)).hasMatch()) {
        const QString side = m.captured(1) == u"w"   ? QStringLiteral("White")
                             : m.captured(1) == u"b" ? QStringLiteral("Black")
                                                     : QStringLiteral("Neutral");
        const QString walk = m.captured(2).isEmpty() ? QStringLiteral("P") : m.captured(2);
        return {QStringLiteral("Add"), side, walk + m.captured(3)};
    }
    if ((m = substitute.match(t)).hasMatch())
        return {QStringLiteral("Substitute"), m.captured(1), m.captured(2)};
    return {};
}

} // namespace

std::optional<QStringList> PrintedTwinChanges(const QStringList& words)
{
    static const QString piece = QStringLiteral("(?:[wbn]?[A-Z][A-Z0-9]?)");
    static const QString square = QStringLiteral("([a-h][1-8])");
    static const QRegularExpression move(
        QStringLiteral("^%1?%2(?:-->|->|-)%2$").arg(piece, square));
    static const QRegularExpression exchange(QStringLiteral("^%1?%2<-->%1?%2$").arg(piece, square));
    static const QRegularExpression remove(QStringLiteral("^-%1?%2$").arg(piece, square));
    static const QRegularExpression add(QStringLiteral("^\\+([wbn])([A-Z][A-Z0-9]?)([a-h][1-8])$"));
    static const QRegularExpression kind(QStringLiteral("^[wbn]?([A-Z][A-Z0-9]?)$"));
    static const QRegularExpression squarePair(QStringLiteral("^[a-h][1-8]<-->[a-h][1-8]$"));
    static const QRegularExpression number(QStringLiteral("^\\d+$"));
    static const QRegularExpression stipulation(
        QStringLiteral("^[a-z-]*(?:#|=|##|==|00|~|x|ct|%)\\d+(?:[.,]5)?$"),
        QRegularExpression::CaseInsensitiveOption);

    if (words.isEmpty())
        return std::nullopt;
    // A twin of a stipulation or a condition is printed as the new text alone.
    const QString whole = words.join(QLatin1Char(' '));
    if (stipulation.match(whole).hasMatch())
        return QStringList{QStringLiteral("Stipulation"), whole};
    if (ConditionVocabulary().contains(words.first(), Qt::CaseInsensitive))
        return QStringList{QStringLiteral("Condition"), whole};
    QStringList command;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const QString next = words.value(i + 1);
        const QString after = words.value(i + 2);
        QRegularExpressionMatch match;
        if ((match = move.match(word)).hasMatch()) {
            command << QStringLiteral("Move") << match.captured(1) << match.captured(2);
        } else if ((match = exchange.match(word)).hasMatch()) {
            command << QStringLiteral("Exchange") << match.captured(1) << match.captured(2);
        } else if ((match = remove.match(word)).hasMatch()) {
            command << QStringLiteral("Remove") << match.captured(1);
        } else if ((match = add.match(word)).hasMatch()) {
            const QChar side = match.captured(1).at(0);
            command << QStringLiteral("Add")
                    << (side == u'w'   ? QStringLiteral("White")
                        : side == u'b' ? QStringLiteral("Black")
                                       : QStringLiteral("Neutral"))
                    << match.captured(2) + match.captured(3);
        } else if (next == u"==>" && kind.match(word).hasMatch() && kind.match(after).hasMatch()) {
            command << QStringLiteral("Substitute") << kind.match(word).captured(1)
                    << kind.match(after).captured(1);
            i += 2;
        } else if (word.compare(u"rotate", Qt::CaseInsensitive) == 0 &&
                   number.match(next).hasMatch()) {
            command << QStringLiteral("Rotate") << next;
            ++i;
        } else if (word.compare(u"mirror", Qt::CaseInsensitive) == 0 &&
                   squarePair.match(next).hasMatch()) {
            command << QStringLiteral("Mirror") << next;
            ++i;
        } else if (word.compare(u"PolishType", Qt::CaseInsensitive) == 0) {
            command << QStringLiteral("PolishType");
        } else {
            return std::nullopt;
        }
    }
    return command;
}

QString TwinLabel(int index)
{
    QString label;
    int n = index;
    do {
        label.prepend(QChar(u'a' + n % 26));
        n = n / 26 - 1;
    } while (n >= 0);
    return label;
}

QList<Twin> BuildTwins(const Item& item)
{
    Twin diagram;
    diagram.board = item.board;
    diagram.stipulation = item.stipulation.trimmed();
    diagram.condition = item.condition.trimmed();

    QList<QStringList> lines;
    for (const QString& line : item.twins) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty())
            lines << words;
    }
    if (lines.isEmpty())
        return {diagram};

    QList<Twin> twins;
    const bool zero = lines.first().first().startsWith(QLatin1String("zero"), Qt::CaseInsensitive);
    if (!zero) {
        twins << diagram;
        twins.first().label = TwinLabel(0);
    }
    static const QRegularExpression labelled(QStringLiteral("^\\s*(\\+?)[a-z]{1,2}\\)(.*)$"));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QStringList words = lines[n];
        qsizetype first = 1;
        bool continued = false;
        const QRegularExpressionMatch label = labelled.match(words.join(u' '));
        if (label.hasMatch()) {
            // Written as Popeye heads its twins: "b) wRg6-->g7", "+c) -bPc4".
            continued = !label.captured(1).isEmpty();
            const QString rest = label.captured(2).trimmed();
            // "a) ..." before any twin names the diagram itself.
            if (twins.size() == 1 && !zero && words.first().startsWith(u'a'))
                continue;
            words = commandsOfHeader(rest);
            if (words.isEmpty() && !rest.isEmpty())
                words = QStringList{rest};
            first = 0;
        } else if (!words.first().startsWith(QLatin1String("twin"), Qt::CaseInsensitive) &&
                   !words.first().startsWith(QLatin1String("zero"), Qt::CaseInsensitive)) {
            // A line without "Twin" or "Zero" is read as its commands alone.
            first = 0;
        } else {
            continued = first < words.size() &&
                        QLatin1String("continued").startsWith(words[first].toLower()) &&
                        words[first].size() >= 4;
            if (continued)
                ++first;
        }
        Twin twin = continued && !twins.isEmpty() ? twins.last() : diagram;
        twin.line = lines[n].join(u' ');
        twin.continued = continued && !twins.isEmpty();
        twin.error.clear();
        twin.header.clear();
        twin.label = TwinLabel(int(twins.size()));
        applyLine(twin, words, first);
        twins << twin;
    }
    return twins;
}

} // namespace vexil
