#pragma once

#include "model/pieces.h"

namespace vexil {

// One square's content, read through its stored code. The code is kept exactly as stored, so
// an odd code from a file (a kind the vocabulary lacks, a base the editor never makes) survives
// every reading and writing; `isKnown` says whether the editor could have made it.
//
// This is the one place that knows how the code is put together: every scan of a board asks a
// Piece rather than taking the code apart itself.
class Piece {
public:
    constexpr Piece() = default;
    constexpr explicit Piece(PieceCode code) : m_code(code) {}

    constexpr PieceCode code() const { return m_code; }
    // Negative codes keep C++'s truncating division: base -1 for -1, never a real base.
    constexpr int base() const { return m_code % 100; }
    constexpr int kind() const { return (m_code % 100000) / 100; }
    constexpr int specification() const { return m_code / 100000; }

    constexpr bool isEmpty() const { return m_code == 0; }
    // Bases 1 to 19: counted, exported and exchanged as pieces.
    constexpr bool isPiece() const { return m_code > 0 && base() >= 1 && base() <= 19; }
    constexpr bool isMarker() const { return m_code > 0 && base() >= 20 && base() <= 22; }
    // Bases 17 to 19: a piece of a `FairyKinds` row, orthodox kinds of neutral pieces included.
    constexpr bool isFairy() const { return m_code > 0 && piece::isFairyBase(base()); }
    constexpr bool isGrasshopper() const { return m_code == 13 || m_code == 14; }
    constexpr bool isNightrider() const { return m_code == 15 || m_code == 16; }
    // Bases 1 to 12 with no kind or specification.
    constexpr bool isOrthodox() const { return m_code >= 1 && m_code <= 12; }
    // A kind that names a `FairyKinds` row and a specification that names a
    // `PieceSpecifications` row (0, none, included).
    constexpr bool hasKnownKind() const { return kind() >= 1 && kind() <= piece::kKindCount; }
    constexpr bool hasKnownSpecification() const
    {
        return specification() >= 0 && specification() < piece::kSpecificationCount;
    }

    // The parity of the whole code is the parity of its base, kind and specification being
    // multiples of 100.
    constexpr bool isWhite() const { return isPiece() && !isNeutral() && m_code % 2 == 1; }
    constexpr bool isBlack() const { return isPiece() && !isNeutral() && m_code % 2 == 0; }
    constexpr bool isNeutral() const { return isPiece() && base() == piece::kFairyNeutral; }
    constexpr PieceSideValue side() const
    {
        return isNeutral() ? PieceSideValue::Neutral
               : isWhite() ? PieceSideValue::White
               : isBlack() ? PieceSideValue::Black
                           : PieceSideValue::None;
    }

    // A code the editor can make: 0, bases 1 to 16 and 20 to 22 alone, or a fairy base with a
    // kind of 1 to 129 and a specification of 0 to 13.
    constexpr bool isKnown() const
    {
        if (m_code < 0)
            return false;
        if (isFairy())
            return hasKnownKind() && hasKnownSpecification();
        return m_code <= piece::kLastBase && (m_code == 0 || base() >= 1);
    }

    // The kind code in upper case ("G", "15", "ZE") for a fairy piece of a known kind; the
    // letter of an orthodox piece, grasshopper or nightrider ("K", "S", "G"); else empty.
    QString letter() const;

    constexpr bool operator==(const Piece&) const = default;

private:
    PieceCode m_code = 0;
};

} // namespace vexil
