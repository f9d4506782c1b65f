#pragma once

#include "model/opencollection.h"
#include "views/entrymodels.h"
#include "views/search.h"

#include <QListView>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace vexil {

class OpenCollection;
class Prompts;

// "Copy selected items": asks for the target and copies the items `numbers` of the open
// collection into it, in the target's format. Throws Failure or Abandon like a handler's body.
void CopyItemsToCollection(Prompts& prompts, QWidget* parent, const OpenCollection& collection,
                           const QList<int>& numbers);

// The entries of the list window; typing in it looks for nothing, since asking every entry
// for its text would read the whole collection.
class EntryListView : public QListView {
    Q_OBJECT
public:
    using QListView::QListView;
    void keyboardSearch(const QString&) override {}
};

// The list window: a tool window beside the main window with one entry per item, a search
// over the collection's text and a copy of the selected items into another collection.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3(Prompts& prompts, const OpenCollection& collection, QWidget* parent = nullptr);

    // How a chosen or found entry's item is shown in the main window.
    void setShowItem(ShowItemFunction show) { m_show = std::move(show); }

    // The entry of the item shown is marked by the window itself, following the collection.
    bool isActiveListWindow() const;
    void clearAllSelections();
    void selectEntry(int position);

    // Handlers.
    void ListBox1Click(); // the current entry was moved: show its item
    void BitBtn1Click();  // Find / Next
    void BitBtn2Click();  // Clear selected
    void BitBtn3Click();  // Copy selected items

    // The numbers of the selected entries' items, in collection order.
    QList<int> selectedNumbers() const;
    QListView* list() const { return ListBox1; }

signals:
    // "Verify selected items…" from the list's context menu.
    void verifySelectedRequested(const QList<int>& numbers);
    // "Publish selected items…" from the same menu.
    void publishSelectedRequested();

public:
    EntryListView* ListBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Marks the entry of the item shown: other selections go unless the user is working
    // in this window.
    void markCurrentItem(int number);
    void setCurrentEntry(int position, bool select);
    void chooseLater();
    void closeList();

    Prompts& m_prompts;
    const OpenCollection& m_collection;
    ItemListModel* m_model;
    ShowItemFunction m_show;
    // Set while the program itself moves the current entry, which chooses nothing.
    bool m_marking = false;
    bool m_rowsChanging = false; // the model is inserting, removing or moving rows
    bool m_choicePending = false;
    // The collection's text for Find / Next, kept while the window is open and the file, to
    // which every change is written at once, stays as it was.
    SearchText m_search;
    QString m_searchFile;
    FileStamp m_searchStamp;
};

} // namespace vexil
