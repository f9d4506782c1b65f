#include "views/listd.h"

#include "model/opencollection.h"
#include "settings/settings.h"
#include "views/diagramcell.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>

namespace vexil {
namespace {

constexpr QSize kDesignSize{544, 375};
// Below the last whole row the grid keeps a strip of this height, as in the window's design.
constexpr int kGridExtraHeight = 8;

class DiagramDelegate : public QStyledItemDelegate {
public:
    DiagramDelegate(TForm7& window, const DiagramGridModel& model, const Settings& settings)
        : QStyledItemDelegate(&window), m_window(window), m_model(model), m_settings(settings)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return kDiagramCellSize;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        painter->fillRect(option.rect, option.palette.color(QPalette::Button));
        const int number = m_model.numberAt(index);
        const Collection& collection = m_model.collection().collection();
        if (number >= 1 && number <= m_model.collection().itemCount()) {
            painter->setFont(option.font);
            // The settings are read at each painting: a change of colours shows at once.
            PaintDiagramCell(*painter, option.rect.topLeft(), EntryOf(collection, number),
                             EntryBoard(collection, number), DiagramSquareColors(m_settings),
                             m_window.pictures());
        }
        if (option.state & QStyle::State_HasFocus) {
            painter->save();
            painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }

private:
    TForm7& m_window;
    const DiagramGridModel& m_model;
    const Settings& m_settings;
};

} // namespace

TForm7::TForm7(const OpenCollection& collection, const Settings& settings, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
      m_collection(collection), m_settings(settings),
      m_model(new DiagramGridModel(collection, this))
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("List of diagrams"));
    setAccessibleName(QStringLiteral("List of diagrams"));
    setModal(true);
    resize(kDesignSize);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    QFont small = font();
    small.setPointSize(8);

    DrawGrid1 = new QTableView(this);
    DrawGrid1->setObjectName(QStringLiteral("DrawGrid1"));
    DrawGrid1->setAccessibleName(QStringLiteral("Diagrams"));
    DrawGrid1->setFont(small);
    DrawGrid1->setModel(m_model);
    DrawGrid1->setItemDelegate(new DiagramDelegate(*this, *m_model, settings));
    DrawGrid1->setShowGrid(false);
    DrawGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DrawGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DrawGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DrawGrid1->setTabKeyNavigation(false);
    DrawGrid1->setWordWrap(false);
    DrawGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DrawGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Scrolled by whole rows, so that only whole cells show.
    DrawGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    DrawGrid1->viewport()->setBackgroundRole(QPalette::Button);
    for (QHeaderView* header : {DrawGrid1->horizontalHeader(), DrawGrid1->verticalHeader()}) {
        header->hide();
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    DrawGrid1->horizontalHeader()->setDefaultSectionSize(kDiagramCellSize.width());
    DrawGrid1->verticalHeader()->setDefaultSectionSize(kDiagramCellSize.height());
    DrawGrid1->installEventFilter(this);
    DrawGrid1->viewport()->installEventFilter(this);
    placeGrid();
}

const PictureSet& TForm7::pictures()
{
    if (!m_pictures)
        m_pictures.emplace(devicePixelRatioF());
    return *m_pictures;
}

void TForm7::fixColumns()
{
    if (m_columnsFixed)
        return;
    m_columnsFixed = true;
    const QScreen* shown = screen();
    const int width = shown ? shown->availableGeometry().width() : kDesignSize.width();
    const int chrome =
        2 * DrawGrid1->frameWidth() +
        DrawGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, DrawGrid1);
    m_model->setColumns(qMax(1, (width - chrome) / kDiagramCellSize.width()));
}

void TForm7::placeGrid()
{
    // The grid keeps its width for the column count and shows whole rows only.
    const int frame = 2 * DrawGrid1->frameWidth();
    const int bar = DrawGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, DrawGrid1);
    const int rows = qMax(1, (height() - frame - kGridExtraHeight) / kDiagramCellSize.height());
    DrawGrid1->setGeometry(0, 0, m_model->columns() * kDiagramCellSize.width() + frame + bar,
                           rows * kDiagramCellSize.height() + kGridExtraHeight + frame);
}

void TForm7::chooseItem()
{
    fixColumns();
    // Maximized at once, also where no window manager would do it.
    if (const QScreen* shown = screen())
        setGeometry(shown->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    if (exec() == QDialog::Accepted && m_show)
        m_show(chosenNumber());
}

void TForm7::FormActivate()
{
    const QModelIndex cell = m_model->indexOf(m_collection.currentItem());
    DrawGrid1->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    DrawGrid1->scrollTo(cell, QAbstractItemView::PositionAtCenter);
    DrawGrid1->setFocus();
}

int TForm7::chosenNumber() const
{
    return m_model->numberAt(DrawGrid1->currentIndex());
}

void TForm7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    placeGrid();
    FormActivate();
}

void TForm7::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeGrid();
}

bool TForm7::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DrawGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    if (watched == DrawGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The first click of the double click has already made its cell current.
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vexil
