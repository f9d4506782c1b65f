#include "views/entrymodels.h"

#include "model/opencollection.h"
#include "views/entry.h"

namespace vexil {

ItemListModel::ItemListModel(const OpenCollection& collection, QObject* parent)
    : QAbstractListModel(parent), m_collection(collection), m_count(collection.itemCount())
{
    const auto refill = [this] { reset(m_collection.itemCount()); };
    connect(&collection, &OpenCollection::opened, this, refill);
    connect(&collection, &OpenCollection::itemsChanged, this, refill);
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
    connect(&collection, &OpenCollection::itemsChanged, this, &DiagramGridModel::refresh);
    refresh();
}

void DiagramGridModel::setColumns(int columns)
{
    beginResetModel();
    m_columns = qMax(1, columns);
    endResetModel();
    refresh();
}

void DiagramGridModel::refresh()
{
    const int count = m_collection.itemCount();
    beginResetModel();
    m_rows = qMax(1, count / m_columns + (count % m_columns ? 1 : 0));
    endResetModel();
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
