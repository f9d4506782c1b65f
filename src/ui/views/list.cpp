#include "views/list.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QVBoxLayout>

namespace vexil {

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
    if (!index.isValid() || index.row() >= m_count || role != Qt::DisplayRole)
        return {};
    return m_entryText ? m_entryText(index.row() + 1) : QString::number(index.row() + 1);
}

TForm3::TForm3(QWidget* parent)
    : QWidget(parent, Qt::Tool), m_model(new ItemListModel(this)), m_list(new QListView(this))
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("List"));
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    resize(420, 360);
    move(342, 6);
}

void TForm3::setEntryText(ItemListModel::EntryText entryText)
{
    m_model->setEntryText(std::move(entryText));
}

void TForm3::RefillList(int itemCount, int currentNumber)
{
    m_model->reset(itemCount);
    if (currentNumber >= 1 && currentNumber <= itemCount)
        selectEntry(currentNumber - 1);
}

bool TForm3::isActiveListWindow() const
{
    return isActiveWindow();
}

void TForm3::clearAllSelections()
{
    m_list->selectionModel()->clearSelection();
}

void TForm3::selectEntry(int position)
{
    const QModelIndex index = m_model->index(position, 0);
    if (!index.isValid())
        return;
    m_list->selectionModel()->select(index, QItemSelectionModel::Select);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

} // namespace vexil
