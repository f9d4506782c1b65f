#pragma once

#include "model/pieces.h"
#include "model/pictureset.h"
#include "settings/settings.h"
#include "solution/move.h"

#include <QFrame>

#include <optional>

class QDropEvent;
class QMouseEvent;

namespace vexil {

// Where a piece drag comes from.
enum class DragSource { Board, Palette };

// What a piece drag carries: where it comes from, and the square (from the board) or the
// palette entry it took its piece from.
struct PieceDrag {
    DragSource source = DragSource::Palette;
    int row = 0, column = 0; // from the board
    int entry = -1;          // from the palette
};

// Starts the drag of a piece (ListBox1StartDrag) and returns when it has ended. The dragged
// picture is `picture` of the 25 px set with its hot spot in its centre, and the pointer is
// hidden where the drag can drop; with `onlyCursor` there is only the standard drag cursor.
void StartPieceDrag(QWidget* source, const PieceDrag& drag, const QImage& picture, bool onlyCursor);

// A press of the left button that becomes a drag once the pointer has moved by the
// platform's drag distance with the button held.
class DragGesture {
public:
    void press(QPoint at, bool armed)
    {
        m_at = at;
        m_armed = armed;
    }
    void cancel() { m_armed = false; }
    // True once, when a move should start the drag.
    bool startsWith(const QMouseEvent* move);

private:
    QPoint m_at;
    bool m_armed = false;
};

// The drag a drop event carries, if it is one of ours: only drags that this program's board
// or palette started, never one from another program or window.
std::optional<PieceDrag> PieceDragOf(const QDropEvent* event);

// DrawGrid1: the 8 x 8 board of the main window, square cells inside a 2-pixel frame. The
// cells are 27 pixels at the window's smallest and grow with the board's size; every point is
// mapped through the current cell. It draws the board it is given; editing goes through the
// main window's handlers.
class BoardView : public QFrame {
    Q_OBJECT
public:
    static constexpr int kCell = 27; // the smallest cell

    BoardView(const Board& board, const PictureSet& pictures, const FairyPictures& fairy,
              const Settings& settings, QWidget* parent = nullptr);

    // The side of a cell at the board's present size, and the board's side for a cell.
    int cell() const;
    static int sideFor(int cell) { return 8 * cell + 4; }

    // The square under a point of the client area, by the 2-pixel offset rule; false outside.
    bool squareAt(QPoint client, int& row, int& column) const;

    // DrawGrid1DrawCell: paints one cell.
    void DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The cell last pressed with the left button: the source of a drag from the board. It is
    // also the keyboard's cursor, moved by the arrow keys and drawn while the board has focus.
    int currentRow() const { return m_currentRow; }
    int currentColumn() const { return m_currentColumn; }
    void setCurrentCell(int row, int column);
    // A position shown in place of the item's own (a replayed move, a twin): drawn with a
    // tinted frame and its marked squares tinted too; nullopt shows the item's own again.
    // The item's board is never touched by it.
    void showPosition(std::optional<Board> board, const QList<Square>& marked = {});
    bool showsOtherPosition() const { return m_shown.has_value(); }
    const Board& shownBoard() const { return m_shown ? *m_shown : m_board; }
    static QColor replayTint();

    // Client coordinates: inside the 2-pixel frame.
    QPoint clientPoint(QPoint widgetPoint) const { return widgetPoint - contentsRect().topLeft(); }

signals:
    // A press of a mouse button (not one that completes a double click), in client pixels.
    void pressed(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                 QPoint client);
    void dropped(const PieceDrag& drag, QPoint client);
    void dragEnded();
    // Keys on the board: Space or Enter places at the cursor, Delete empties the square, and
    // the first character of a typed piece opens the line that takes the rest.
    void placeKeyPressed(int row, int column);
    void emptyKeyPressed(int row, int column);
    void typingStarted(const QString& text);
    // Ctrl+C, Ctrl+Shift+C and Ctrl+V on the focused board: the position as FEN, as Popeye's
    // Forsyth, and a pasted position.
    void copyPositionPressed(bool forsyth);
    void pastePositionPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The piece being dragged over the board, drawn here with its transparency.
    void showDragged(const QDropEvent* event, const PieceDrag& drag);
    void hideDragged();
    QImage m_dragged;
    int m_draggedPicture = -1;
    QPoint m_draggedAt;

    const Board& m_board;
    std::optional<Board> m_shown;
    QList<Square> m_marked;
    const PictureSet& m_pictures;
    const FairyPictures& m_fairy;
    const Settings& m_settings;
    int m_currentRow = 0;
    int m_currentColumn = 0;
    DragGesture m_drag;
};

} // namespace vexil
