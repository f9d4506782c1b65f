#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>

#include <functional>

namespace vexil {

class OpenCollection;

// Shows item `number` in the main window for a view: asks about unsaved changes first, and
// returns false when the user cancelled or the item could not be shown.
using ShowItemFunction = std::function<bool(int number)>;

// The list window's entries: one row per item of the open collection. Rows carry nothing of
// their own; an entry's texts are read from the collection only when it is painted or asked
// for, so that a refill costs the row count and no more. The rows follow each change of the
// item set without starting over, so that the view keeps its place and its selection.
class ItemListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ItemListModel(const OpenCollection& collection, QObject* parent = nullptr);

    const OpenCollection& collection() const { return m_collection; }

    int rowCount(const QModelIndex& parent = {}) const override;
    // The entry's text in one line for Qt::DisplayRole and Qt::AccessibleTextRole.
    QVariant data(const QModelIndex& index, int role) const override;

private:
    // Sets the number of entries; every entry is painted anew.
    void reset(int count);
    void entriesChanged(int first, int last); // rows

    const OpenCollection& m_collection;
    int m_count = 0;
};

// The cells of the list of diagrams: cell (row r, column c) stands for item
// r x columns + c + 1; cells beyond the last item are empty but can be current.
class DiagramGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DiagramGridModel(const OpenCollection& collection, QObject* parent = nullptr);

    const OpenCollection& collection() const { return m_collection; }
    void setColumns(int columns);
    int columns() const { return m_columns; }
    int numberAt(const QModelIndex& index) const;
    QModelIndex indexOf(int number) const;
    // Row count from the item count (at least one row); every cell is painted anew.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int rowsFor(int count) const;
    // The cells from item `first` on stand for other items now: rows come or go at the end.
    void itemsFrom(int first);
    void cellsChanged(int first, int last);

    const OpenCollection& m_collection;
    int m_columns = 1;
    int m_rows = 1;
};

} // namespace vexil
