#pragma once

#include "model/pieces.h"

#include <QString>
#include <QStringList>

namespace vexil::test {

// A board from "square=code" entries: {"e1=11", "d4=719"}.
inline Board boardOf(const QStringList& entries)
{
    Board board;
    for (const QString& entry : entries) {
        const QString square = entry.section(QLatin1Char('='), 0, 0);
        const int row = 8 - (square[1].unicode() - '0');
        const int column = square[0].unicode() - 'a';
        board.at(row, column) = entry.section(QLatin1Char('='), 1).toInt();
    }
    return board;
}

} // namespace vexil::test
