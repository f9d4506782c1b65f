#include "app/mainarea.h"

#include "app/boardview.h"
#include "app/palette.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace vexil {
namespace {

// Where the smallest layout puts things.
constexpr QPoint kBoardPlace{6, 54};
constexpr int kFieldsLeft = 236;
constexpr int kRightMargin = 4;
constexpr int kBottomMargin = 6;

} // namespace

void MainArea::setParts(const Parts& parts)
{
    m_parts = parts;
    updateGeometry();
    arrange();
}

QSize MainArea::minimumSizeHint() const
{
    if (!m_parts.fields)
        return kSmallest;
    const QSize fields = m_parts.fields->minimumSizeHint();
    return kSmallest.expandedTo(QSize(kFieldsLeft + fields.width() + kRightMargin,
                                      kBoardPlace.y() + fields.height() + kBottomMargin));
}

void MainArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void MainArea::arrange()
{
    const Parts& p = m_parts;
    if (!p.board || !p.fields)
        return;
    // The board grows by whole cells, so that every square keeps the same whole size.
    const QSize extra = size() - minimumSizeHint();
    const int grow = qMax(0, qMin(extra.height(), extra.width() / 2));
    const int side = BoardView::sideFor(BoardView::kCell + grow / 8);
    const int wider = side - BoardView::sideFor(BoardView::kCell);

    if (p.rule)
        p.rule->setGeometry(0, p.rule->y(), width(), p.rule->height());
    p.board->setGeometry(QRect(kBoardPlace, QSize(side, side)));
    int y = kBoardPlace.y() + side + 5;
    int x = kBoardPlace.x();
    for (QToolButton* tool : p.tools) {
        tool->move(x, y);
        x += tool->width();
    }
    if (p.banner) {
        p.banner->setGeometry(kBoardPlace.x(), y, side, p.banner->height());
        // The banner's whole text is its accessible name; it is cut to the width it has now.
        if (p.banner->isVisible())
            p.banner->setText(p.banner->fontMetrics().elidedText(
                p.banner->accessibleName(), Qt::ElideRight, p.banner->width() - 8));
    }
    if (p.pieceLine)
        p.pieceLine->setGeometry(kBoardPlace.x(), y - 2, side, 25);
    y += 29;
    if (p.palette)
        p.palette->setGeometry(kBoardPlace.x(), y,
                               qBound(p.palette->minimumWidth(), side - 10,
                                      qMax(p.palette->minimumWidth(), p.palette->widestUseful())),
                               p.palette->height());
    if (p.twinBar)
        p.twinBar->setGeometry(kBoardPlace.x(), y + 70, side, p.twinBar->height());
    if (p.version)
        p.version->move(kBoardPlace.x(), y + 72);
    if (p.logo)
        p.logo->move(kBoardPlace.x(), y + 90);

    const int left = kFieldsLeft + wider;
    p.fields->setGeometry(left, kBoardPlace.y(), width() - kRightMargin - left,
                          height() - kBottomMargin - kBoardPlace.y());
}

} // namespace vexil
