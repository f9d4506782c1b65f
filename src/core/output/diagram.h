#pragma once

#include "model/pictureset.h"
#include "model/pieces.h"
#include "output/diagrampainter.h"
#include "settings/settings.h"

#include <QColor>
#include <QFont>
#include <QImage>

namespace vexil {

// White and silver: what a diagram looks like unless the user asked for the board colours.
DiagramColours StandardDiagramColours();
// The board colours of the settings (`White`, `Black`), resolved for painting now.
DiagramColours CustomDiagramColours(const Settings& settings);

// The diagram for other applications and for print: a 1-pixel black frame around 8 x 8
// squares of `squareSize` pixels (27 gives 218 x 218, 25 gives 202 x 202), the figures of the
// 25 px picture list drawn 2 (27) or 1 (25) pixels into their squares, and the label of a
// generic fairy figure centred at the top of its square. The image has a device pixel ratio
// of 1 whatever the screen's, so its pixels are exactly these. Drawn by `PaintDiagram`.
QImage DiagramBitmap(const Board& board, int squareSize, const DiagramColours& colours,
                     const PictureSet& pictures, const FairyPictures& fairyPictures);

// The side of the diagram for a square size: 8 squares and the frame.
constexpr int DiagramSide(int squareSize)
{
    return 8 * squareSize + 2;
}

// The bold 8-point label font at 96 dots per inch, as the diagram writes it.
QFont DiagramLabelFont();

// The font a fairy label is written in so that it fits its square: `baseFont` when the label
// fits in `cellWidth` less a pixel on either side, else the base font made smaller (to three
// quarters of its size at most, so it stays readable) and then condensed. Every painter of
// diagrams (the board, the diagram picture, the list of diagrams) writes labels with it, so a
// wide label ("uWR", "mMM") never runs into the next square.
QFont FitLabelFont(const QString& label, int cellWidth, const QFont& baseFont);

// The image in the 16 colours of a classic 4-bit bitmap, each pixel to its nearest colour
// without dithering (silver and white stay exact).
QImage ReducedTo16Colours(const QImage& image);

} // namespace vexil
