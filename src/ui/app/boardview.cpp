#include "app/boardview.h"

#include "app/palette.h"
#include "model/piece.h"
#include "output/diagram.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace vexil {
namespace {
const QString kDragFormat = QStringLiteral("application/x-vexil-piece");
}

void StartPieceDrag(QWidget* source, const PieceDrag& from, const QImage& picture, bool onlyCursor)
{
    auto* data = new QMimeData;
    data->setData(kDragFormat, from.source == DragSource::Board
                                   ? "board " + QByteArray::number(from.row) + ' ' +
                                         QByteArray::number(from.column)
                                   : "palette " + QByteArray::number(from.entry));
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    if (!onlyCursor && !picture.isNull()) {
        // The picture is the pointer, centred on it, so that it keeps its transparency: a
        // drag pixmap is a window of its own, which some systems draw as an opaque box. Over
        // the board, which accepts the drop, the board draws the picture itself.
        drag->setDragCursor(QPixmap::fromImage(picture), Qt::IgnoreAction);
        QPixmap none(1, 1);
        none.fill(Qt::transparent);
        drag->setDragCursor(none, Qt::MoveAction);
    }
    drag->exec(Qt::MoveAction);
}

bool DragGesture::startsWith(const QMouseEvent* move)
{
    if (!m_armed || !(move->buttons() & Qt::LeftButton))
        return false;
    if ((move->position().toPoint() - m_at).manhattanLength() < QApplication::startDragDistance())
        return false;
    m_armed = false;
    return true;
}

std::optional<PieceDrag> PieceDragOf(const QDropEvent* event)
{
    // A drag from another program has no source here; one from another window of ours has
    // a source that is neither the board nor the palette.
    const QObject* source = event->source();
    if (!qobject_cast<const BoardView*>(source) && !qobject_cast<const Palette*>(source))
        return std::nullopt;
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasFormat(kDragFormat))
        return std::nullopt;
    const QList<QByteArray> words = data->data(kDragFormat).split(' ');
    auto number = [](const QByteArray& word, int low, int high) -> std::optional<int> {
        bool ok = false;
        const int value = word.toInt(&ok);
        return ok && value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
    };
    PieceDrag drag;
    if (words.size() == 3 && words[0] == "board") {
        const std::optional<int> row = number(words[1], 0, 7), column = number(words[2], 0, 7);
        if (!row || !column)
            return std::nullopt;
        drag.source = DragSource::Board;
        drag.row = *row;
        drag.column = *column;
        return drag;
    }
    if (words.size() == 2 && words[0] == "palette") {
        const std::optional<int> entry = number(words[1], 0, piece::kLastBase - 1);
        if (!entry)
            return std::nullopt;
        drag.source = DragSource::Palette;
        drag.entry = *entry;
        return drag;
    }
    return std::nullopt;
}

BoardView::BoardView(const Board& board, const PictureSet& pictures, const FairyPictures& fairy,
                     const Settings& settings, QWidget* parent)
    : QFrame(parent), m_board(board), m_pictures(pictures), m_fairy(fairy), m_settings(settings)
{
    setObjectName(QStringLiteral("DrawGrid1"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    // The main window gives the board a square as large as its room allows.
    setMinimumSize(sizeHint());
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Board"));
    QFont bold = font();
    bold.setPointSize(8);
    bold.setBold(true);
    setFont(bold);
}

QSize BoardView::sizeHint() const
{
    return {sideFor(kCell), sideFor(kCell)};
}

int BoardView::cell() const
{
    return qMax(kCell, (qMin(width(), height()) - 4) / 8);
}

bool BoardView::squareAt(QPoint client, int& row, int& column) const
{
    // Truncation toward zero, so the first two pixel columns still belong to column 0.
    const int c = cell();
    column = (client.x() - 2) / c;
    row = (client.y() - 2) / c;
    return client.x() >= 0 && client.y() >= 0 && row >= 0 && row < 8 && column >= 0 && column < 8;
}

void BoardView::DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) const
{
    // The diagram painter draws the screen's squares too: figures as paths at the screen's
    // pixel ratio, loaded fairy pictures and labels as in every other diagram. A square of the
    // replayed move is half its own colour, half the tint: it still reads light or dark.
    QColor light = PaintColor(m_settings.White);
    QColor dark = PaintColor(m_settings.Black);
    if (m_marked.contains(Square{row, column})) {
        const QColor tint = replayTint();
        const auto mixed = [&](const QColor& c) {
            return QColor((c.red() + tint.red()) / 2, (c.green() + tint.green()) / 2,
                          (c.blue() + tint.blue()) / 2);
        };
        light = mixed(light);
        dark = mixed(dark);
    }
    const DiagramStyle style{{light, dark}, FairyDrawing::Generic, &m_pictures, &m_fairy};
    // The 27-pixel square's proportions at this cell, the same square at the smallest size.
    const DiagramGeometry geometry =
        DiagramGeometry::scaled(QPointF(), DiagramSide(kCell) * rect.width() / qreal(kCell));
    PaintDiagramSquare(painter, geometry, rect, (row + column) % 2 != 0,
                       shownBoard().at(row, column), style);
}

void BoardView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setFont(font());
    const QRect area = contentsRect();
    const int c = cell();
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column)
            DrawGrid1DrawCell(painter, column, row,
                              QRect(area.left() + column * c, area.top() + row * c, c, c));
    if (m_shown) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(replayTint(), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    if (!m_dragged.isNull()) {
        const QSize size = m_dragged.deviceIndependentSize().toSize();
        painter.drawImage(QRect(m_draggedAt - QPoint(size.width() / 2, size.height() / 2), size),
                          m_dragged);
    }
    if (hasFocus()) {
        // The keyboard's cursor: a frame in the selection colour with a white edge inside, so
        // that it shows on light and dark squares alike.
        const QRect square(area.left() + m_currentColumn * c, area.top() + m_currentRow * c, c, c);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(square.adjusted(1, 1, -1, -1));
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(square.adjusted(2, 2, -3, -3));
    }
}

QColor BoardView::replayTint()
{
    return QColor(0xE0, 0x8A, 0x00);
}

void BoardView::showPosition(std::optional<Board> board, const QList<Square>& marked)
{
    m_shown = std::move(board);
    m_marked = m_shown ? marked : QList<Square>();
    update();
}

void BoardView::setCurrentCell(int row, int column)
{
    m_currentRow = qBound(0, row, 7);
    m_currentColumn = qBound(0, column, 7);
    update();
}

void BoardView::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
}

void BoardView::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    update();
}

void BoardView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // Keys with Ctrl (copy and paste of the position among them) are handled here, before
    // the plain keys below.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_C)
            emit copyPositionPressed(false);
        else if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) &&
                 event->key() == Qt::Key_C)
            emit copyPositionPressed(true);
        else if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_V)
            emit pastePositionPressed();
        else
            QFrame::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrentCell(m_currentRow, m_currentColumn - 1);
        return;
    case Qt::Key_Right:
        setCurrentCell(m_currentRow, m_currentColumn + 1);
        return;
    case Qt::Key_Up:
        setCurrentCell(m_currentRow - 1, m_currentColumn);
        return;
    case Qt::Key_Down:
        setCurrentCell(m_currentRow + 1, m_currentColumn);
        return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit placeKeyPressed(m_currentRow, m_currentColumn);
        return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        emit emptyKeyPressed(m_currentRow, m_currentColumn);
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].isLetterOrNumber()) {
        emit typingStarted(text);
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace vexil

namespace vexil {

void BoardView::mousePressEvent(QMouseEvent* event)
{
    const QPoint client = clientPoint(event->position().toPoint());
    m_drag.cancel();
    if (event->button() == Qt::LeftButton) {
        // The plain cell under the pointer, without the offset of the click rule. A press
        // on the frame takes no piece with it.
        const int c = cell();
        const bool onSquare =
            client.x() >= 0 && client.y() >= 0 && client.x() < 8 * c && client.y() < 8 * c;
        if (onSquare) {
            m_currentRow = client.y() / c;
            m_currentColumn = client.x() / c;
        }
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        m_drag.press(event->position().toPoint(),
                     onSquare && event->buttons() == Qt::LeftButton && modifiers == Qt::NoModifier);
    }
    emit pressed(event->button(), event->buttons(), event->modifiers() & ~Qt::KeypadModifier,
                 client);
}

void BoardView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_drag.startsWith(event))
        return;
    // The built-in picture the square shows, never a loaded fairy picture.
    const int picture = PictureIndex(m_board.at(m_currentRow, m_currentColumn), FairyPictures());
    PieceDrag drag;
    drag.source = DragSource::Board;
    drag.row = m_currentRow;
    drag.column = m_currentColumn;
    StartPieceDrag(this, drag, m_pictures.large(picture), m_settings.DragDropOnlyCursor);
    emit dragEnded();
}

void BoardView::mouseReleaseEvent(QMouseEvent*)
{
    m_drag.cancel();
}

void BoardView::mouseDoubleClickEvent(QMouseEvent*)
{
    // A press that completes a double click edits nothing.
    m_drag.cancel();
}

void BoardView::showDragged(const QDropEvent* event, const PieceDrag& drag)
{
    if (m_settings.DragDropOnlyCursor) {
        m_dragged = QImage();
        return;
    }
    // From the palette its entry's picture, from the board the base picture of the square,
    // at the size the board's figures have now.
    const int picture = drag.source == DragSource::Palette
                            ? drag.entry + 1
                            : PictureIndex(m_board.at(drag.row, drag.column), FairyPictures());
    const int size = PictureSet::kLarge * cell() / kCell;
    if (m_dragged.isNull() || picture != m_draggedPicture ||
        m_dragged.deviceIndependentSize().width() != size)
        m_dragged = size == PictureSet::kLarge
                        ? m_pictures.large(picture)
                        : PictureSet::render(picture, size, devicePixelRatioF());
    m_draggedPicture = picture;
    m_draggedAt = event->position().toPoint();
    update();
}

void BoardView::hideDragged()
{
    if (m_dragged.isNull())
        return;
    m_dragged = QImage();
    update();
}

void BoardView::dragEnterEvent(QDragEnterEvent* event)
{
    if (const std::optional<PieceDrag> drag = PieceDragOf(event)) {
        event->acceptProposedAction();
        showDragged(event, *drag);
    }
}

void BoardView::dragMoveEvent(QDragMoveEvent* event)
{
    if (const std::optional<PieceDrag> drag = PieceDragOf(event)) {
        event->acceptProposedAction();
        showDragged(event, *drag);
    } else {
        event->ignore();
    }
}

void BoardView::dragLeaveEvent(QDragLeaveEvent*)
{
    hideDragged();
}

void BoardView::dropEvent(QDropEvent* event)
{
    hideDragged();
    const std::optional<PieceDrag> drag = PieceDragOf(event);
    if (!drag) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit dropped(*drag, clientPoint(event->position().toPoint()));
}

} // namespace vexil
