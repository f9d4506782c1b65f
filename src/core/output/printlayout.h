#pragma once

#include "model/collection.h"

#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace vexil {

// The printed page is laid out on a virtual page of 666 x 932 units; a unit is `sx` device
// pixels across and `sy` down, whole numbers. `x0` is where the text column starts, in units.
struct PrintScale {
    int sx = 0;
    int sy = 0;
    int x0 = 446;
    bool fits() const { return sx * sy > 0; }
    bool operator==(const PrintScale&) const = default;
};

// The largest whole scales (multiples of n, n from 10 down) for a printable area of
// `width` x `height` device pixels: equal scales for the whole virtual page first, else
// unequal ones for a slightly smaller page. No fit gives sx * sy == 0.
PrintScale ChoosePrintScale(int width, int height);

// One text on the printed pages, placed by the top-left corner of its line in device pixels.
struct PrintedText {
    int page = 0; // 0 for the first page
    QPoint at;
    QString text;
    bool bold = false;
    bool operator==(const PrintedText&) const = default;
};

// The place of a twin's diagram and of its caption (two lines at most) under it.
struct PrintedTwin {
    int page = 0;
    QRect diagram; // device pixels
    QRect caption;
    bool operator==(const PrintedTwin&) const = default;
};

struct PrintLayout {
    QRect diagram; // device pixels, first page
    QLine rule;    // the line under author and source, first page
    QList<PrintedText> texts;
    QList<PrintedTwin> twins;
    int pageCount = 1;
};

// What is printed where for `item` (fields as shown, with the lines of the fairy-piece text).
// Column lines that would not end above `pageHeight` continue at the top of a next page, in
// the same column; `lineHeight` is the height of a text line in device pixels. `twinCount`
// smaller diagrams go three to a row under the stipulation, on further pages when the first
// has no room left, each with its caption under it.
PrintLayout LayOutPrintedItem(const PrintScale& scale, int pageHeight, int lineHeight,
                              const Item& item, const QStringList& fairyLines, int twinCount = 0);

} // namespace vexil
