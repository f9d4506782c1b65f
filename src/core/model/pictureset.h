#pragma once

#include "model/pieces.h"

#include <QImage>
#include <QList>

class QPainter;

namespace vexil {

enum class FigureShape { Pawn, Rook, Knight, Bishop, Queen, King };

// The figures as paths from the shipped font, so that they stay sharp at any size and on any
// device (screen, printer, SVG, PDF). Both draw into the square (0, 0, size, size) of the
// painter's coordinates.
// Built-in picture `index` (1 to 22; anything else draws nothing).
void PaintPicture(QPainter& painter, int index, qreal size);
// A figure of `side` (0 white, 1 black, 2 neutral: white left half, black right half), turned
// clockwise by `quarterTurns` quarters about the square's centre, as magazines turn figures
// to show fairy pieces.
void PaintFigureShape(QPainter& painter, FigureShape figure, int side, int quarterTurns,
                      qreal size);

// The diagram figures: 23 built-in pictures (0 blank, 1-12 orthodox, 13/14 grasshopper,
// 15/16 nightrider, 17-19 generic fairy, 20-22 markers) in 25 px and 21 px, followed in the
// 25 px list by the fairy pictures loaded at start. Pictures carry an alpha channel and are
// rendered at the given device pixel ratio.
class PictureSet {
public:
    static constexpr int kBuiltIn = 23;
    static constexpr int kLarge = 25;
    static constexpr int kSmall = 21;

    explicit PictureSet(qreal devicePixelRatio = 1.0);

    // Appends a loaded fairy picture to the 25 px list and returns its index.
    int appendLarge(const QImage& picture);

    int largeCount() const { return int(m_large.size()); }
    // An out-of-range index gives a null image.
    QImage large(int index) const;
    QImage small(int index) const;
    qreal devicePixelRatio() const { return m_dpr; }

    // The family of the font the figures are drawn from, shipped with the program; empty only
    // when that font could not be loaded (the figures are then plain generic shapes).
    static QString figureFamily();

    // Draws one figure of `size` logical pixels; exposed for the other renderings.
    static QImage render(int index, int size, qreal devicePixelRatio);

private:
    qreal m_dpr;
    QList<QImage> m_large;
    QList<QImage> m_small;
};

// Loads every "*.bmp" file of exactly 518 bytes in `folder` into `set` and `pictures`, with
// silver as the transparent colour, in the order the folder lists them.
void LoadFairyPictures(const QString& folder, PictureSet& set, FairyPictures& pictures);

} // namespace vexil
