#pragma once

#include <QAbstractListModel>
#include <QWidget>

#include <functional>

class QListView;

namespace vexil {

// One entry per item; the texts come from the main window at the moment they are painted,
// so that 100,000 entries cost nothing until they are seen.
class ItemListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using EntryText = std::function<QString(int number)>;

    explicit ItemListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}
    void setEntryText(EntryText entryText) { m_entryText = std::move(entryText); }
    void reset(int count);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    int m_count = 0;
    EntryText m_entryText;
};

// The list window: a tool window listing the items of the open collection.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    void setEntryText(ItemListModel::EntryText entryText);
    // One entry per item, the current item's entry selected and current.
    void RefillList(int itemCount, int currentNumber);

    // What the main window needs to mark its current item.
    bool isActiveListWindow() const;
    void clearAllSelections();
    void selectEntry(int position);

    QListView* list() const { return m_list; }

private:
    ItemListModel* m_model;
    QListView* m_list;
};

} // namespace vexil
