#include "app/boardview.h"

#include <QPainter>

namespace vexil {

BoardView::BoardView(const Board& board, const PictureSet& pictures, const FairyPictures& fairy,
                     const Settings& settings, QWidget* parent)
    : QFrame(parent), m_board(board), m_pictures(pictures), m_fairy(fairy), m_settings(settings)
{
    setObjectName(QStringLiteral("DrawGrid1"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFixedSize(sizeHint());
    QFont bold = font();
    bold.setPointSize(8);
    bold.setBold(true);
    setFont(bold);
}

QSize BoardView::sizeHint() const
{
    return {8 * kCell + 4, 8 * kCell + 4};
}

bool BoardView::squareAt(QPoint client, int& row, int& column)
{
    // Truncation toward zero, so the first two pixel columns still belong to column 0.
    column = (client.x() - 2) / kCell;
    row = (client.y() - 2) / kCell;
    return client.x() >= 0 && client.y() >= 0 && row >= 0 && row < 8 && column >= 0 &&
           column < 8;
}

void BoardView::DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) const
{
    const QColor square = PaintColor((row + column) % 2 == 0 ? m_settings.White : m_settings.Black);
    painter.fillRect(rect, square);
    const PieceCode code = m_board.at(row, column);
    if (code == 0)
        return;
    const int p = PictureIndex(code, m_fairy);
    const QImage picture = m_pictures.large(p);
    if (!picture.isNull())
        painter.drawImage(QRect(rect.left() + 1, rect.top() + 1, PictureSet::kLarge,
                                PictureSet::kLarge),
                          picture);
    if (p >= piece::kFairyWhite && p <= piece::kFairyNeutral) {
        const QString label = FairyLabel(code);
        const int w = painter.fontMetrics().horizontalAdvance(label);
        const int x = rect.left() + (rect.width() - w) / 2;
        const QRect text(x, rect.top(), w, painter.fontMetrics().height());
        painter.fillRect(text, square);
        painter.setPen(Qt::black);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, label);
    } else if (p >= PictureSet::kBuiltIn) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(rect.topLeft(), QSize(kCell, kCell)), Qt::AlignLeft | Qt::AlignTop,
                         SpecificationLetter(piece::specification(code)).toUpper());
    }
}

void BoardView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setFont(font());
    const QRect area = contentsRect();
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column)
            DrawGrid1DrawCell(painter, column, row,
                              QRect(area.left() + column * kCell, area.top() + row * kCell, kCell,
                                    kCell));
}

} // namespace vexil
