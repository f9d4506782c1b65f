#include "interchange/piecenames.h"

#include "model/fairytext.h"
#include "model/piece.h"

#include <QHash>

namespace vexil::names {
namespace {

const QHash<QString, int>& kindsByWalk()
{
    static const QHash<QString, int> table = [] {
        QHash<QString, int> t;
        for (int k = 1; k <= piece::kKindCount; ++k)
            t.insert(KindCode(k), k);
        return t;
    }();
    return table;
}

} // namespace

int KindOfWalk(QStringView walk)
{
    if (walk.isEmpty() || walk.size() > 2)
        return 0;
    return kindsByWalk().value(walk.toString().toUpper(), 0);
}

int SpecificationOfWord(QStringView word)
{
    if (word.compare(QLatin1String("protean"), Qt::CaseInsensitive) == 0)
        return 11;
    for (int s = 1; s < piece::kSpecificationCount; ++s)
        if (word.compare(SpecificationName(s), Qt::CaseInsensitive) == 0)
            return s;
    return 0;
}

bool IsForeignAttribute(QStringView word)
{
    static const char* const words[] = {"bul",    "dob",    "anda",   "andainverse", "frischauf",
                                        "patrol", "alicea", "aliceb", "paralyzing"};
    for (const char* w : words)
        if (word.compare(QLatin1String(w), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

PieceCode CodeOf(Side side, int kind, int specification)
{
    if (specification == 0 && side != Side::Neutral) {
        // Kind rows of the pieces that have bases of their own, by base pair.
        static const struct {
            int kind;
            int whiteBase;
        } own[] = {{70, 1}, {74, 3}, {83, 5}, {12, 7}, {73, 9}, {50, 11}, {40, 13}, {62, 15}};
        for (const auto& o : own)
            if (o.kind == kind)
                return o.whiteBase + (side == Side::Black ? 1 : 0);
    }
    const int base = side == Side::White   ? piece::kFairyWhite
                     : side == Side::Black ? piece::kFairyBlack
                                           : piece::kFairyNeutral;
    return piece::make(base, kind, specification);
}

QString WalkOf(PieceCode code)
{
    const Piece p(code);
    if (!p.isPiece())
        return {};
    if (!p.isFairy())
        return p.specification() == 0 && p.kind() == 0
                   ? QString(QLatin1Char(PieceLetters[p.base()]))
                   : QString();
    return KindCode(p.kind());
}

Side SideOf(PieceCode code)
{
    switch (PieceSide(code)) {
    case PieceSideValue::Black:
        return Side::Black;
    case PieceSideValue::Neutral:
        return Side::Neutral;
    default:
        return Side::White;
    }
}

QString SideWord(Side side)
{
    switch (side) {
    case Side::White:
        return QStringLiteral("White");
    case Side::Black:
        return QStringLiteral("Black");
    case Side::Neutral:
        return QStringLiteral("Neutral");
    }
    return {};
}

bool ParseSquare(QStringView text, Square& square)
{
    if (text.size() != 2)
        return false;
    const QChar lowered[2] = {text[0].toLower(), text[1]};
    const std::optional<Square> parsed = Square::parse(QStringView(lowered, 2));
    if (!parsed)
        return false;
    square = *parsed;
    return true;
}

bool ParsePieceToken(QStringView token, QString& walk, QList<Square>& squares)
{
    // A square is a file letter and a rank digit, so after a walk of one character the next
    // character is a file and the one after it a digit; after a walk of two it is a file again.
    for (int length : {1, 2}) {
        if (token.size() < length + 2)
            continue;
        const QStringView rest = token.sliced(length);
        if (rest.size() % 2 != 0)
            continue;
        QList<Square> found;
        bool ok = true;
        for (qsizetype i = 0; ok && i < rest.size(); i += 2) {
            Square s;
            ok = ParseSquare(rest.sliced(i, 2), s);
            found << s;
        }
        if (!ok)
            continue;
        const QStringView w = token.first(length);
        for (QChar c : w)
            if (!c.isLetterOrNumber() || c.unicode() > 0x7F)
                return false;
        walk = w.toString();
        squares = found;
        return true;
    }
    return false;
}

QString Describe(PieceCode code, int row, int column)
{
    const Piece p(code);
    QString text;
    if (p.isPiece()) {
        text = SideWord(SideOf(code)).toLower() + QLatin1Char(' ');
        if (p.isFairy() && p.specification() > 0)
            text += SpecificationName(p.specification()) + QLatin1Char(' ');
        const QString walk = WalkOf(code);
        text += walk.isEmpty() ? QStringLiteral("piece %1").arg(code) : walk;
    } else if (p.isMarker()) {
        text = QStringLiteral("marker");
    } else {
        text = QStringLiteral("code %1").arg(code);
    }
    return text + QStringLiteral(" on ") + Square{row, column}.name();
}

} // namespace vexil::names
