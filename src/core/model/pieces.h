#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace vexil {

// A square's content: specification x 100000 + kind x 100 + base.
using PieceCode = qint32;

// Row 0 is rank 8, column 0 is file a.
struct Board {
    std::array<std::array<PieceCode, 8>, 8> squares{};

    PieceCode& at(int row, int column) { return squares[row][column]; }
    PieceCode at(int row, int column) const { return squares[row][column]; }
    void clear() { squares = {}; }
    bool operator==(const Board&) const = default;
};

namespace piece {
constexpr int kFairyWhite = 17;
constexpr int kFairyBlack = 18;
constexpr int kFairyNeutral = 19;
constexpr int kLastBase = 22;
constexpr int kKindCount = 129;
constexpr int kSpecificationCount = 14; // row 0 (none) included

// Reading a code goes through `Piece` (model/piece.h); `base` stays for older callers.
inline int base(PieceCode code)
{
    return code % 100;
}
inline PieceCode make(int base, int kind, int specification)
{
    return specification * 100000 + kind * 100 + base;
}
inline bool isFairyBase(int base)
{
    return base >= kFairyWhite && base <= kFairyNeutral;
}
} // namespace piece

enum class PieceSideValue { None, White, Black, Neutral };
PieceSideValue PieceSide(PieceCode code);

// The letter tables by base.
inline constexpr char PieceLetters[] = " PPRRSSBBQQKKGGNN";
inline constexpr char FenLetters[] = " PpRrNnBbQqKk";

// The 129 fairy kinds and 14 specifications, each row as it is shown in lists.
const QStringList& FairyKinds();
const QStringList& PieceSpecifications();

// Kind rows are 1-based here, as they are stored; an unknown kind gives an empty text.
QString KindCode(int kind);
QString KindName(int kind);
QString SpecificationLetter(int specification);
QString SpecificationName(int specification);

// The label written over a generic fairy figure: specification letter and kind code.
// Any code but a fairy piece of a known kind and specification gives "?".
QString FairyLabel(PieceCode code);

QString PieceCountText(const Board& board);

// The extra fairy pictures: "KEY=index" entries, first of equal keys wins on lookup.
class FairyPictures {
public:
    void append(const QString& key, int index);
    // The picture index for `key` (case ignored), or -1.
    int find(const QString& key) const;
    const QStringList& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    QStringList m_entries;
};

// The 25 px picture to draw for a non-zero code.
int PictureIndex(PieceCode code, const FairyPictures& pictures);

// The picture key of a fairy code ("WG", "B15", "NZE"); empty for other codes.
QString FairyPictureKey(PieceCode code);

} // namespace vexil
