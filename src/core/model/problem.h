#pragma once

#include "model/collection.h"
#include "model/progress.h"

#include <QByteArray>

namespace vexil {

// The conversion of an old binary problem file (pbm) into the lines of a collection.

// The board code of a pbm piece byte (0 for anything that is no piece).
PieceCode PbmBoardCode(unsigned char byte);
// "white K", "black P", ... for a piece byte; empty for anything else.
QByteArray PbmPiece(unsigned char byte);
// The square name of a square byte: " " is a8, "_" is h1; other bytes give what the
// arithmetic gives ("`" is a0).
QByteArray PbmSquare(unsigned char byte);
// "#2", "H=3", "serH#5 Maximummer", ... from a record's stipulation word.
QByteArray PbmStipulation(quint16 word);
// The twin text of an encoded twins string: empty, or a blank followed by "\nTwin ..." or
// "\nZero ..." lines.
QByteArray DecodePbmTwins(QByteArrayView twins);

// The collection lines of a pbm file: the header item, then one item per record that lies
// wholly inside the file. Nothing outside `bytes` is ever read. Records may all point at the
// same long texts, so a small file could ask for gigabytes: throws Failure when the lines
// would exceed PbmOutputLimit of the file.
Lines ConvertPbm(QByteArrayView bytes, const Progress& progress = {});
qint64 PbmOutputLimit(qint64 fileSize);

} // namespace vexil
