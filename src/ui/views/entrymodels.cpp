#include "views/entrymodels.h"

#include "model/opencollection.h"
#include "views/entry.h"

namespace vexil {

ItemListModel::ItemListModel(const OpenCollection& collection, QObject* parent)
    : QAbstractListModel(parent), m_collection(collection), m_count(collection.itemCount())
{
    const auto row = [](int number) { return number - 1; };
    connect(&collection, &OpenCollection::opened, this,
            [this] { reset(m_collection.itemCount()); });
    connect(&collection, &OpenCollection::itemsAboutToBeInserted, this,
            [this, row](int first, int last) { beginInsertRows({}, row(first), row(last)); });
    connect(&collection, &OpenCollection::itemsInserted, this, [this] {
        m_count = m_collection.itemCount();
        endInsertRows();
    });
    // An entry shows its item's number, so the entries behind a removed item change: the
    // last row goes and the rows from the removed one on show the items now there. A row
    // taken out of the middle would claim that the row behind it was unchanged.
    connect(&collection, &OpenCollection::itemsRemoved, this, [this, row](int first) {
        const int count = m_collection.itemCount();
        if (count < m_count) {
            beginRemoveRows({}, count, m_count - 1);
            m_count = count;
            endRemoveRows();
        }
        entriesChanged(row(first), count - 1);
    });
    // A moved item takes its row along (and with it a selection); the items it passed are
    // renumbered.
    connect(&collection, &OpenCollection::itemAboutToBeMoved, this, [this, row](int from, int to) {
        // Qt names the row the moved one goes before, as counted before the move.
        beginMoveRows({}, row(from), row(from), {}, to > from ? row(to) + 1 : row(to));
    });
    connect(&collection, &OpenCollection::itemMoved, this, [this, row](int from, int to) {
        endMoveRows();
        entriesChanged(row(qMin(from, to)), row(qMax(from, to)));
    });
    connect(&collection, &OpenCollection::itemWritten, this,
            [this, row](int number) { entriesChanged(row(number), row(number)); });
}

void ItemListModel::entriesChanged(int first, int last)
{
    const QModelIndex top = index(first, 0), bottom = index(last, 0);
    if (top.isValid() && bottom.isValid() && first <= last)
        emit dataChanged(top, bottom);
}

void ItemListModel::reset(int count)
{
    beginResetModel();
    m_count = qMax(0, count);
    endResetModel();
}

int ItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_count)
        return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    return AccessibleEntryText(EntryOf(m_collection.collection(), index.row() + 1));
}

DiagramGridModel::DiagramGridModel(const OpenCollection& collection, QObject* parent)
    : QAbstractTableModel(parent), m_collection(collection)
{
    connect(&collection, &OpenCollection::opened, this, &DiagramGridModel::refresh);
    connect(&collection, &OpenCollection::itemsInserted, this,
            [this](int first) { itemsFrom(first); });
    connect(&collection, &OpenCollection::itemsRemoved, this,
            [this](int first) { itemsFrom(first); });
    connect(&collection, &OpenCollection::itemMoved, this,
            [this](int from, int to) { cellsChanged(qMin(from, to), qMax(from, to)); });
    connect(&collection, &OpenCollection::itemWritten, this,
            [this](int number) { cellsChanged(number, number); });
    m_rows = rowsFor(m_collection.itemCount());
}

void DiagramGridModel::setColumns(int columns)
{
    beginResetModel();
    m_columns = qMax(1, columns);
    m_rows = rowsFor(m_collection.itemCount());
    endResetModel();
}

void DiagramGridModel::refresh()
{
    beginResetModel();
    m_rows = rowsFor(m_collection.itemCount());
    endResetModel();
}

int DiagramGridModel::rowsFor(int count) const
{
    return qMax(1, count / m_columns + (count % m_columns ? 1 : 0));
}

void DiagramGridModel::itemsFrom(int first)
{
    const int rows = rowsFor(m_collection.itemCount());
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    cellsChanged(first, m_rows * m_columns);
}

void DiagramGridModel::cellsChanged(int first, int last)
{
    const QModelIndex from = index((first - 1) / m_columns, (first - 1) % m_columns);
    const QModelIndex to = index((last - 1) / m_columns, (last - 1) % m_columns);
    if (!from.isValid() || !to.isValid())
        return;
    if (from.row() == to.row())
        emit dataChanged(from, to);
    else
        emit dataChanged(index(from.row(), 0), index(to.row(), m_columns - 1));
}

int DiagramGridModel::numberAt(const QModelIndex& index) const
{
    return index.isValid() ? index.row() * m_columns + index.column() + 1 : 0;
}

QModelIndex DiagramGridModel::indexOf(int number) const
{
    // The cell of item `number`, as the window opens on it; no item shown gives the last cell
    // of the first row.
    const int row = (number - 1) / m_columns;
    const int column = (number - 1 + m_columns) % m_columns;
    return index(qBound(0, row, m_rows - 1), qBound(0, column, m_columns - 1));
}

int DiagramGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DiagramGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant DiagramGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const int number = numberAt(index);
    if (number < 1 || number > m_collection.itemCount())
        return role == Qt::AccessibleTextRole ? QStringLiteral("Empty") : QVariant();
    return AccessibleEntryText(EntryOf(m_collection.collection(), number));
}

Qt::ItemFlags DiagramGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace vexil
