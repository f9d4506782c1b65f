#pragma once

#include "model/pieces.h"

namespace vexil {

enum class Transformation {
    MoveLeft,
    MoveUp,
    MoveDown,
    MoveRight,
    Rotation,         // a quarter turn clockwise as seen on the screen
    VerticalMirror,   // files a and h change places
    HorizontalMirror, // ranks 1 and 8 change places
    ExchangeColors,
    Clear,
};

// The whole board after the transformation; what a shift pushes off the board is lost.
Board Transformed(const Board& board, Transformation transformation);

} // namespace vexil
