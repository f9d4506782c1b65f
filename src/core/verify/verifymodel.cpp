#include "verify/verifymodel.h"

#include "model/atomicfile.h"
#include "model/csv.h"
#include "model/failure.h"

namespace vexil {

void VerifyTableModel::setRows(QList<VerifyRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_pending.clear();
    m_rowOfNumber.clear();
    for (int row = 0; row < m_rows.size(); ++row)
        m_rowOfNumber.insert(m_rows[row].number, row);
    endResetModel();
}

bool VerifyTableModel::setRecord(const VerifyRecord& record)
{
    if (!m_rowOfNumber.contains(record.number))
        return false;
    m_pending.append(record);
    return true;
}

int VerifyTableModel::applyPending()
{
    if (m_pending.isEmpty())
        return 0;
    int first = int(m_rows.size());
    int last = -1;
    for (const VerifyRecord& record : std::as_const(m_pending)) {
        const int row = m_rowOfNumber.value(record.number, -1);
        if (row < 0)
            continue;
        m_rows[row].record = record;
        first = qMin(first, row);
        last = qMax(last, row);
    }
    const int count = int(m_pending.size());
    m_pending.clear();
    if (last >= first)
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
    return count;
}

int VerifyTableModel::rowOf(int number) const
{
    return m_rowOfNumber.value(number, -1);
}

int VerifyTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int VerifyTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant VerifyTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() ||
        (role != Qt::DisplayRole && role != SortRole && role != Qt::TextAlignmentRole))
        return QVariant();
    const VerifyRow& row = m_rows[index.row()];
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return column == Number || column == Solutions || column == Time
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    const bool sorting = role == SortRole;
    if (column == Number)
        return sorting ? QVariant(row.number) : QVariant(QString::number(row.number));
    if (column == Author)
        return row.author;
    if (column == Stipulation)
        return row.stipulation;
    if (!row.record)
        return sorting && (column == Solutions || column == Time) ? QVariant(-1)
                                                                  : QVariant(QString());
    const VerifyRecord& record = *row.record;
    switch (column) {
    case OutcomeColumn:
        return RecordOutcomeText(record);
    case Solutions:
        return sorting ? QVariant(record.solutions) : QVariant(QString::number(record.solutions));
    case FirstMoves:
        return record.outcome == Outcome::InputError || record.outcome == Outcome::Failed ||
                       record.outcome == Outcome::Refused
                   ? record.detail
                   : record.firstMoves.join(QStringLiteral(", "));
    case Time:
        return sorting ? QVariant(record.seconds)
                       : QVariant(QStringLiteral("%1 s").arg(record.seconds, 0, 'f', 2));
    case StoredMove:
        return MoveMatchText(record.storedMove);
    default:
        return QVariant();
    }
}

QVariant VerifyTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"Number",  "Author",     "Stipulation",
                                                    "Outcome", "Solutions",  "First moves",
                                                    "Time",    "Stored move"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section])
                                                 : QVariant();
}

QByteArray ModelCsv(const QAbstractItemModel& model)
{
    QByteArray csv;
    const int columns = model.columnCount();
    for (int column = 0; column < columns; ++column) {
        if (column > 0)
            csv += ',';
        csv += CsvField(model.headerData(column, Qt::Horizontal).toString()).toUtf8();
    }
    csv += "\r\n";
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            if (column > 0)
                csv += ',';
            csv += CsvField(model.index(row, column).data().toString()).toUtf8();
        }
        csv += "\r\n";
    }
    return csv;
}

void WriteBytesFile(const QString& path, const QByteArray& bytes)
{
    WriteFileAtomically(path, bytes);
}

} // namespace vexil
