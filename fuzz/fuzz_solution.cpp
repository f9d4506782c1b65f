// libFuzzer target: any bytes as an item's twin lines (before the first empty line) and its
// solution (after it); the twins are built and the solution read without a crash, every move
// read is either played from a square that held a piece or stopped with its reason, and a
// stopped move changes nothing.
#include "model/piece.h"
#include "solution/solution.h"

#include <cstdint>
#include <cstdlib>

using namespace vexil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = text.indexOf(QLatin1String("\n\n"));
    Item item;
    // Both sides with every orthodox piece, a grasshopper, a nightrider and a neutral piece.
    const PieceCode rows[8][8] = {{4, 6, 8, 10, 12, 8, 6, 4}, {2, 2, 2, 2, 2, 2, 2, 2},
                                  {0, 13, 0, 0, 0, 0, 16, 0}, {0, 0, 0, 7319, 0, 0, 0, 0},
                                  {0, 0, 0, 0, 0, 0, 0, 0},   {0, 14, 0, 0, 0, 0, 15, 0},
                                  {1, 1, 1, 1, 1, 1, 1, 1},   {3, 5, 7, 9, 11, 7, 5, 3}};
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            item.board.at(r, c) = rows[r][c];
    item.stipulation = QStringLiteral("#3");
    item.twins = split < 0 ? QStringList() : text.left(split).split(u'\n');
    item.solution = text.mid(split < 0 ? 0 : split + 2).split(u'\n');
    const Solution solution = ReadItemSolution(item);
    for (const SolutionLine& line : solution.lines)
        for (const SolutionMove& move : line.moves) {
            if (move.played() && !Piece(move.before.at(move.from.row, move.from.column)).isPiece())
                std::abort();
            if (!move.played() && move.after != move.before)
                std::abort();
        }
    return 0;
}
