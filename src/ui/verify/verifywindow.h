#pragma once

#include "verify/verifymodel.h"
#include "verify/verifyresults.h"
#include "verify/verifysession.h"

#include <QHash>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace vexil {

class Prompts;

// What the window reads of an item: as stored, never unsaved edits.
struct VerifyItemInfo {
    QString author;
    QString stipulation;
    QStringList solution;
};

// Where the window takes the collection from; every function is asked at the moment of use.
struct VerifySource {
    std::function<int()> itemCount;
    std::function<VerifyItemInfo(int number)> itemInfo;
    // The item's stored lines, for the key of its result (StoredItemLines).
    std::function<QByteArray(int number)> storedLines;
    // The Popeye text of the stored item.
    std::function<QByteArray(int number)> popeyeInput;
    // The Popeye to run, asked when a verification starts, so that a path changed in the
    // options is the one used; without it, the one given to setPopeye.
    std::function<VerifySolver()> solver;
    // The stored item's twins (BuildTwins), by which its stored solution is read.
    std::function<QList<Twin>(int number)> positions;
};

// "Verify collection": runs Popeye on every item of a range in the background and shows what
// it found. Results are kept in the collection's results file and reused while an item and
// the options stay as they were.
class VerifyWindow : public QWidget {
    Q_OBJECT
public:
    VerifyWindow(Prompts& prompts, VerifySource source, QWidget* parent = nullptr);
    ~VerifyWindow() override;

    void setPopeye(const QString& path, const QString& memory);
    // Another collection (or none): the results file ("<collection>.verify") is read at
    // once (empty path: none), and the selection, the table and the progress of the
    // collection before are forgotten.
    void setResultsFile(const QString& path);
    // Offers the items chosen elsewhere (the list window's selection) and picks them.
    void setSelection(const QList<int>& numbers);
    // How long after MaxTime a run is ended from outside.
    void setDeadlineGrace(int milliseconds) { m_grace = milliseconds; }
    // The set of items changed: the range limits and the table follow.
    void itemsChanged();

    bool isRunning() const;
    const VerifyTableModel& table() const { return *m_model; }
    const VerifyResults& results() const { return m_session->results(); }

    // Handlers.
    void VerifyClick(); // runs the items of the range that have no result yet
    void RerunClick();  // "Re-run all"
    void StopClick();
    void CopyClick();   // "Copy solution to item"
    void ExportClick(); // "Export CSV…"
    void FilterChange();
    void TableDoubleClick(const QModelIndex& index);

signals:
    void showItemRequested(int number);
    void copySolutionRequested(int number, const QString& text);
    // A run ended (stopped or not) and its results are written.
    void verificationFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QList<int> chosenItems() const;
    void verify(bool all);
    void showProgress();
    void runEnded(bool stopped, const QString& problem);
    void updateControls();
    int currentNumber() const;

    Prompts& m_prompts;
    VerifySource m_source;
    QString m_popeyePath;
    QString m_popeyeMemory = QStringLiteral("4M");
    QList<int> m_selection;
    int m_grace = 5000;

    VerifyTableModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    std::unique_ptr<VerifySession> m_session;
    QTimer m_tick;

public:
    QRadioButton* AllItems = nullptr;
    QRadioButton* RangeItems = nullptr;
    QRadioButton* SelectedItems = nullptr;
    QSpinBox* FromItem = nullptr;
    QSpinBox* ToItem = nullptr;
    QSpinBox* Parallel = nullptr;
    QSpinBox* MaxTime = nullptr;
    QPushButton* VerifyButton = nullptr;
    QPushButton* RerunButton = nullptr;
    QPushButton* StopButton = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* ExportButton = nullptr;
    QComboBox* OutcomeFilter = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* ProgressLabel = nullptr;
    QTableView* Table = nullptr;
};

} // namespace vexil
