#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace vexil {

// A square of the board: row 0 is rank 8, column 0 is file a; (-1, -1) for none. Rows run
// down the board because that is how the board is stored and drawn.
struct Square {
    int row = -1;
    int column = -1;

    bool isValid() const { return row >= 0 && row < 8 && column >= 0 && column < 8; }
    bool operator==(const Square&) const = default;

    // "e4"; empty for no square.
    QString name() const;
    // A file letter a to h and a rank digit 1 to 8, nothing before or after.
    static std::optional<Square> parse(QStringView text);
};

} // namespace vexil
