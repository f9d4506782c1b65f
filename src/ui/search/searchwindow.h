#pragma once

#include "model/collection.h"
#include "search/searchrun.h"

#include <QAbstractListModel>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

namespace vexil {

class Prompts;
class SettingsStore;

// The items a search found: rows of (collection, item number) over the collections as they
// were read for the search, so that what is shown and copied is what was searched.
class SearchResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    struct Found {
        int file = 0;
        int number = 0;
    };

    void clear(const QStringList& files);
    void setCollection(int file, const Collection& collection);
    void append(int file, const QList<int>& numbers);
    Found found(int row) const { return m_found[row]; }
    const Collection& collection(int file) const { return m_collections[file]; }
    const QStringList& files() const { return m_files; }
    // The text of the entry's first line: collection name, number and author.
    QString title(int row) const;
    // Draws the small diagram of a tool tip; none is drawn without it.
    void setDiagram(std::function<QImage(const Board&)> diagram) { m_diagram = std::move(diagram); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QString diagramFile(int row) const;

    QStringList m_files;
    QList<Collection> m_collections;
    QList<Found> m_found;
    std::function<QImage(const Board&)> m_diagram;
    std::unique_ptr<QTemporaryDir> m_pictures; // the tool tips' diagrams, drawn once each
};

// The "Search" window: a query over the open collection and other collection files, results
// streaming in from a search thread, Stop, showing a found item, copying found items.
class SearchWindow : public QWidget {
    Q_OBJECT
public:
    SearchWindow(Prompts& prompts, std::unique_ptr<SettingsStore> store, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // The open collection's file, always searched first; empty when none is open.
    void setOpenCollection(const QString& path);
    // The open collection as held in memory, when that is what its file holds; searched
    // then instead of reading the file a second time.
    void setOpenCollectionSource(std::function<std::optional<Collection>()> source)
    {
        m_openSource = std::move(source);
    }
    void setDiagram(std::function<QImage(const Board&)> diagram);
    // The other collections searched, as kept in the settings.
    QStringList otherCollections() const;
    void setOtherCollections(const QStringList& paths);

    // Shows the window with the query chosen for typing.
    void bringUp();

    // Handlers.
    void searchClicked();
    void stopClicked();
    void addClicked();
    void removeClicked();
    void copyClicked();
    void showCurrent();

    bool isSearching() const { return m_job.isRunning(); }
    SearchResultsModel* results() const { return m_model; }

signals:
    // A found item is to be shown: the main window asks about unsaved changes, opens its
    // collection when another one is open, and shows it.
    void showItemRequested(const QString& path, int number);

public:
    QLineEdit* QueryEdit = nullptr;
    QPushButton* SearchButton = nullptr;
    QPushButton* StopButton = nullptr;
    QListWidget* CollectionsList = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QListView* ResultsList = nullptr;
    QPushButton* CopyButton = nullptr;
    QLabel* StatusLine = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void loadSettings();
    void saveSettings();
    void refreshCollections();
    void setRunning(bool running);

    Prompts& m_prompts;
    std::unique_ptr<SettingsStore> m_store;
    QString m_openPath;
    std::function<std::optional<Collection>()> m_openSource;
    QStringList m_others;
    SearchJob m_job;
    SearchResultsModel* m_model;
    QStringList m_skipped;
    qint64 m_foundSoFar = 0;
};

} // namespace vexil
