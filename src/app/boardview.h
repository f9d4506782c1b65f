#pragma once

#include "model/pieces.h"
#include "model/pictureset.h"
#include "settings/settings.h"

#include <QFrame>

namespace vexil {

// DrawGrid1: the 8 x 8 board of the main window, cells of 27 pixels inside a 2-pixel frame.
// It draws the board it is given; editing goes through the main window's handlers.
class BoardView : public QFrame {
    Q_OBJECT
public:
    static constexpr int kCell = 27;

    BoardView(const Board& board, const PictureSet& pictures, const FairyPictures& fairy,
              const Settings& settings, QWidget* parent = nullptr);

    // The square under a point of the client area, by the 2-pixel offset rule; false outside.
    static bool squareAt(QPoint client, int& row, int& column);

    // DrawGrid1DrawCell: paints one cell.
    void DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Board& m_board;
    const PictureSet& m_pictures;
    const FairyPictures& m_fairy;
    const Settings& m_settings;
};

} // namespace vexil
