#include "model/pieces.h"

#include "model/piece.h"

namespace vexil {

PieceSideValue PieceSide(PieceCode code)
{
    return Piece(code).side();
}

const QStringList& FairyKinds()
{
    static const QStringList rows = [] {
        static const char* const table[][2] = {
            {"15", "1,5-leaper"},
            {"16", "1,6-leaper"},
            {"24", "2,4-leaper"},
            {"25", "2,5-leaper"},
            {"35", "3,5-leaper"},
            {"37", "3,7-leaper"},
            {"al", "alfil"},
            {"am", "amazon"},
            {"an", "antelope"},
            {"ao", "maorider"},
            {"ar", "archbishop"},
            {"b", "bishop"},
            {"bh", "bishop hopper"},
            {"bk", "bouncy knight"},
            {"bl", "bishop-lion"},
            {"bp", "berolina pawn"},
            {"br", "bishop/rook hunter"},
            {"bs", "berolina superpawn"},
            {"bt", "boyscout"},
            {"bu", "root-25-leaper"},
            {"c", "cardinal"},
            {"ca", "camel"},
            {"cg", "contra grasshopper"},
            {"ch", "camelrider hopper"},
            {"cr", "camelrider"},
            {"ct", "cavalier trojan"},
            {"cy", "charybdis"},
            {"da", "dabbabba"},
            {"dg", "doublegrashopper"},
            {"dr", "dragon"},
            {"ds", "diagonalspiralspringer"},
            {"du", "dummy"},
            {"ea", "eagle"},
            {"eh", "edgehog"},
            {"ek", "erlking"},
            {"em", "empress"},
            {"eq", "equihopper"},
            {"fe", "fers"},
            {"fr", "fersrider"},
            {"g", "grasshopper"},
            {"g2", "grasshopper-2"},
            {"g3", "grasshopper-3"},
            {"gh", "gnurider hopper"},
            {"gi", "giraffe"},
            {"gl", "gral"},
            {"gn", "gnu"},
            {"gr", "gnurider"},
            {"gt", "girlscout"},
            {"ha", "hamster"},
            {"k", "king"},
            {"ka", "kangaroo"},
            {"kh", "kinghopper"},
            {"l", "locust"},
            {"lb", "bishop locust"},
            {"le", "leo"},
            {"li", "lion"},
            {"ln", "nightrider locust"},
            {"lr", "rook locust"},
            {"m", "moose"},
            {"ma", "mao"},
            {"mo", "moa"},
            {"n", "nightrider"},
            {"nd", "nereide"},
            {"ne", "nonstop equihopper"},
            {"nh", "nightrider hopper"},
            {"o", "orphan"},
            {"oa", "moarider"},
            {"ok", "okapi"},
            {"or", "Orix"},
            {"p", "pawn"},
            {"pa", "pao"},
            {"pr", "princess"},
            {"q", "queen"},
            {"r", "rook"},
            {"rb", "reflecting bishop"},
            {"rf", "root-50-leaper"},
            {"rh", "rook hopper"},
            {"rl", "rook-lion"},
            {"rn", "rose-lion"},
            {"ro", "rose"},
            {"rp", "rose-hopper"},
            {"rr", "rook/bishop hunter"},
            {"s", "knight"},
            {"si", "sirene"},
            {"sk", "skylla"},
            {"sp", "superpawn"},
            {"sq", "squirrel"},
            {"ss", "spiralspringer"},
            {"sw", "sparrow"},
            {"tr", "triton"},
            {"uu", "ubiubi"},
            {"va", "vao"},
            {"wa", "waran"},
            {"we", "wazir"},
            {"wr", "wazirrider"},
            {"z", "zebra"},
            {"zh", "zebrarider hopper"},
            {"zr", "zebrarider"},
            {"ag", "Andernach grasshopper"},
            {"be", "bishop eagle"},
            {"bi", "bison"},
            {"bm", "bishop moose"},
            {"bw", "bishop sparrow"},
            {"do", "dolphin"},
            {"et", "elephant"},
            {"f", "friend"},
            {"mg", "marguerite"},
            {"ml", "maorider lion"},
            {"mm", "moarider lion"},
            {"na", "nao"},
            {"nl", "nightrider lion"},
            {"ra", "rao"},
            {"re", "rook eagle"},
            {"rm", "rook moose"},
            {"rw", "rook sparrow"},
            {"so", "scorpion"},
            {"36", "3,6-leaper"},
            {"b1", "bouncer"},
            {"b2", "rook bouncer"},
            {"b3", "bishop bouncer"},
            {"bo", "bob"},
            {"cp", "chinese pawn"},
            {"qe", "equi english"},
            {"qf", "equi french"},
            {"qq", "querquisite"},
            {"rt", "rabbit"},
            {"pp", "reverse pawn"},
            {"rk", "radial leaper"},
            {"ze", "zebu"},
        };
        static_assert(std::size(table) == piece::kKindCount);
        QStringList list;
        for (int i = 0; i < piece::kKindCount; ++i) {
            // Code padded to two characters, then two blanks (one from row 117 on).
            const QString gap = i + 1 >= 117 ? QStringLiteral(" ") : QStringLiteral("  ");
            list << QString::fromLatin1(table[i][0]).leftJustified(2) + gap +
                        QString::fromLatin1(table[i][1]);
        }
        return list;
    }();
    return rows;
}

const QStringList& PieceSpecifications()
{
    static const QStringList rows = {QString(),
                                     "c chameleon",
                                     "j jigger",
                                     "k kamikaze",
                                     "p paralysing",
                                     "r royal",
                                     "v volage",
                                     "b beamtet",
                                     "f functionary",
                                     "h halfneutral",
                                     "u hurdlecolourchanging",
                                     "t proten",
                                     "m magic",
                                     "n uncapturable"};
    return rows;
}

QString KindCode(int kind)
{
    if (kind < 1 || kind > piece::kKindCount)
        return {};
    return FairyKinds()[kind - 1].left(2).trimmed().toUpper();
}

QString KindName(int kind)
{
    if (kind < 1 || kind > piece::kKindCount)
        return {};
    const QString& row = FairyKinds()[kind - 1];
    return row.mid(row.indexOf(' ') + 1).trimmed();
}

QString SpecificationLetter(int specification)
{
    if (specification < 1 || specification >= piece::kSpecificationCount)
        return {};
    return PieceSpecifications()[specification].left(1).toLower();
}

QString SpecificationName(int specification)
{
    if (specification < 1 || specification >= piece::kSpecificationCount)
        return {};
    const QString& row = PieceSpecifications()[specification];
    return row.mid(row.indexOf(' ') + 1).trimmed();
}

QString FairyLabel(PieceCode code)
{
    // Whatever else is drawn as the generic figure came from a file: it is marked, not named.
    const Piece piece(code);
    if (!piece.isFairy() || !piece.isKnown())
        return QStringLiteral("?");
    return (SpecificationLetter(piece.specification()) + KindCode(piece.kind())).trimmed();
}

QString PieceCountText(const Board& board)
{
    int white = 0, black = 0, neutral = 0;
    for (const auto& row : board.squares)
        for (PieceCode code : row)
            switch (Piece(code).side()) {
            case PieceSideValue::White:
                ++white;
                break;
            case PieceSideValue::Black:
                ++black;
                break;
            case PieceSideValue::Neutral:
                ++neutral;
                break;
            case PieceSideValue::None:
                break;
            }
    if (neutral == 0)
        return QStringLiteral("( %1 + %2 )").arg(white).arg(black);
    return QStringLiteral("( %1 + %2 + %3 )").arg(white).arg(black).arg(neutral);
}

void FairyPictures::append(const QString& key, int index)
{
    m_entries << key + QLatin1Char('=') + QString::number(index);
}

int FairyPictures::find(const QString& key) const
{
    for (const QString& entry : m_entries) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (QStringView(entry).left(eq).compare(key, Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const int index = entry.mid(eq + 1).toInt(&ok);
        return ok ? index : -1;
    }
    return -1;
}

QString FairyPictureKey(PieceCode code)
{
    const Piece piece(code);
    if (!piece.isFairy() || !piece.hasKnownKind())
        return {};
    static const char sides[] = "WBN";
    return QLatin1Char(sides[piece.base() - piece::kFairyWhite]) + KindCode(piece.kind());
}

int PictureIndex(PieceCode code, const FairyPictures& pictures)
{
    const Piece piece(code);
    if (piece.isEmpty())
        return 0;
    // Negative codes, base 0 with a value and bases 23 to 99 cannot come from the editor; they
    // draw as nothing known rather than as a picture that does not exist.
    if (!piece.isPiece() && !piece.isMarker())
        return piece::kFairyWhite;
    if (!piece.isFairy())
        return piece.base();
    const QString key = FairyPictureKey(code);
    if (key.isEmpty())
        return piece.base();
    const int index = pictures.find(key);
    return index < 0 ? piece.base() : index;
}

QString Piece::letter() const
{
    if (isFairy())
        return KindCode(kind());
    if (isOrthodox() || isGrasshopper() || isNightrider())
        return QString(QLatin1Char(PieceLetters[m_code]));
    return {};
}

} // namespace vexil
