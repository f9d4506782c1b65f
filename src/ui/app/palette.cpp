#include "app/palette.h"

#include "app/boardview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace vexil {
namespace {

// ListBox1DrawItem: the entry's background, then picture index + 1 at (left + 1, top).
class EntryPainter : public QStyledItemDelegate {
public:
    EntryPainter(const PictureSet& pictures, QObject* parent)
        : QStyledItemDelegate(parent), m_pictures(pictures)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
                          option.palette.color(selected ? QPalette::Highlight : QPalette::Window));
        const QImage picture = m_pictures.large(index.row() + 1);
        painter->drawImage(QRect(option.rect.left() + 1, option.rect.top(), PictureSet::kLarge,
                                 PictureSet::kLarge),
                           picture);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {Palette::kEntry, Palette::kEntry};
    }

private:
    const PictureSet& m_pictures;
};

} // namespace

Palette::Palette(const PictureSet& pictures, const Settings& settings, QWidget* parent)
    : QListWidget(parent), m_pictures(pictures), m_settings(settings)
{
    setObjectName(QStringLiteral("ListBox1"));
    setItemDelegate(new EntryPainter(m_pictures, this));
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSpacing(0);
    setGridSize(QSize(kEntry, kEntry));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    for (int i = 1; i <= kEntries; ++i)
        addItem(QString::number(i));
    setCurrentRow(-1);
    clearSelection();
    const int frame = 2 * frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // Eight columns at the smallest; a wider window shows more of them, never more rows.
    setMinimumWidth(8 * kEntry + frame);
    setFixedHeight(2 * kEntry + frame + bar + 2);
    resize(minimumWidth(), height());
}

int Palette::widestUseful() const
{
    return (kEntries + 1) / 2 * kEntry + 2 * frameWidth();
}

int Palette::selectedEntry() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

} // namespace vexil

namespace vexil {

void Palette::mousePressEvent(QMouseEvent* event)
{
    QListWidget::mousePressEvent(event);
    m_drag.press(event->position().toPoint(),
                 event->button() == Qt::LeftButton && selectedEntry() >= 0);
}

void Palette::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_drag.startsWith(event))
        return;
    PieceDrag drag;
    drag.entry = selectedEntry();
    StartPieceDrag(this, drag, m_pictures.large(drag.entry + 1), m_settings.DragDropOnlyCursor);
    emit dragEnded();
}

} // namespace vexil
