#pragma once

#include "duplicates/duplicates.h"
#include "model/pictureset.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vexil {

class OpenCollection;
class Prompts;

// What the two windows take from the program, asked at the moment of use.
struct DuplicateSources {
    // The collections searched: the open one first (when one is open), then the others.
    std::function<QList<SearchedCollection>()> collections;
    // The item shown, as the main window has it now (unsaved edits included).
    std::function<Item()> shownItem;
    // Shows item `number` of the open collection in the main window; false when it could not.
    std::function<bool(int)> showOpenItem;
    const PictureSet* pictures = nullptr;
    const FairyPictures* fairyPictures = nullptr;
};

// The equivalence, "one unit away" and "same stipulation" controls both windows share.
class DuplicateOptionsBox : public QWidget {
    Q_OBJECT
public:
    DuplicateOptionsBox(bool nearByDefault, QWidget* parent = nullptr);
    DuplicateOptions options() const;

    QComboBox* equivalence = nullptr;
    QCheckBox* oneUnitAway = nullptr;
    QCheckBox* sameStipulation = nullptr;
};

// "Is it new?": the item shown against every item of the collections searched.
class IsItNewWindow : public QWidget {
    Q_OBJECT
public:
    IsItNewWindow(Prompts& prompts, DuplicateSources sources, QWidget* parent = nullptr);

    // Compares the item shown now and shows the window with the answer.
    void search();

signals:
    void findDuplicatesRequested();

public:
    DuplicateOptionsBox* optionsBox = nullptr;
    QPushButton* searchButton = nullptr;
    QPushButton* findDuplicatesButton = nullptr;
    QLabel* answer = nullptr;
    QTreeWidget* matchList = nullptr;

private:
    Prompts& m_prompts;
    DuplicateSources m_sources;
    QList<SearchedCollection> m_searched;
};

// "Find duplicates": the groups of equal positions in the collections searched.
class FindDuplicatesWindow : public QWidget {
    Q_OBJECT
public:
    FindDuplicatesWindow(Prompts& prompts, const OpenCollection& open, DuplicateSources sources,
                         QWidget* parent = nullptr);

    void find();
    void copySelectedItems();
    void exportCsv();
    const QList<DuplicateGroup>& groups() const { return m_groups; }

    DuplicateOptionsBox* optionsBox = nullptr;
    QPushButton* findButton = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* exportButton = nullptr;
    QLabel* answer = nullptr;
    QTreeWidget* groupList = nullptr;

private:
    Prompts& m_prompts;
    const OpenCollection& m_open;
    DuplicateSources m_sources;
    QList<SearchedCollection> m_searched;
    QList<DuplicateGroup> m_groups;
};

} // namespace vexil
