#pragma once

#include "verify/verifyresults.h"

#include <QAbstractTableModel>

#include <optional>

namespace vexil {

// One row of the results table: an item and its result, when it has one.
struct VerifyRow {
    int number = 0;
    QString author;
    QString stipulation;
    std::optional<VerifyRecord> record;
};

// The results table. Results arriving during a run are kept back and shown together by
// applyPending(), so that a caller can update the table a few times a second however fast
// the results come.
class VerifyTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Number,
        Author,
        Stipulation,
        OutcomeColumn,
        Solutions,
        FirstMoves,
        Time,
        StoredMove,
        ColumnCount
    };
    // Numbers sort as numbers under this role.
    static constexpr int SortRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(QList<VerifyRow> rows);
    // Keeps a result back for the row of its item; false when the item has no row.
    bool setRecord(const VerifyRecord& record);
    // Shows the results kept back; returns how many.
    int applyPending();

    int rowOf(int number) const;
    const VerifyRow& rowAt(int row) const { return m_rows.at(row); }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<VerifyRow> m_rows;
    QHash<int, int> m_rowOfNumber;
    QList<VerifyRecord> m_pending;
};

// The model's rows as CSV (comma separated, quoted where needed, CR LF line ends, UTF-8),
// with the header row first, as the model shows them.
QByteArray ModelCsv(const QAbstractItemModel& model);
// Writes bytes atomically; throws Failure ("Cannot create file %s").
void WriteBytesFile(const QString& path, const QByteArray& bytes);

} // namespace vexil
