#pragma once

#include "model/collection.h"
#include "settings/settings.h"
#include "solve/fen.h"
#include "solve/popeyetext.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;

namespace vexil {

class Prompts;
class SolverRun;

// The solve window: a tool window beside the main window that hands the item shown to Popeye
// or Stockfish, runs the program and shows what it wrote. It keeps its own copies of the four
// solver parameters, which the options window pushes into it.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    // `shownItem` gives the item as the main window shows it, unsaved edits included.
    TForm2(Prompts& prompts, const Settings& settings, std::function<Item()> shownItem,
           QWidget* parent = nullptr);
    ~TForm2() override;

signals:
    // "Verify collection…" on the Popeye tab: the whole collection as stored, in the
    // background, in a window of its own.
    void verifyCollectionRequested();

public:
    // The number of the item shown, for messages that name it; 0 when none is shown.
    void setShownNumber(std::function<int()> number) { m_shownNumber = std::move(number); }

    void setSolverParameters(const QString& popeyeMemory, const QString& timeLimit,
                             const QString& threads, const QString& hashMemory);

    // Fixed when the window is made; tests point it elsewhere.
    const QString& programFolder() const { return m_programFolder; }
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

    bool popeyeActive() const;
    SolverRun& run(bool popeye) { return popeye ? *m_popeye : *m_stockfish; }

    // Handlers.
    void CopyItemClick();
    void SolveClick();
    void ViewSolutionClick();
    void ResetAllClick();
    void StopClick();

    QPlainTextEdit* Memo1 = nullptr;
    QTabWidget* TabSet = nullptr;
    QComboBox* PopeyeMemory = nullptr;
    QCheckBox* Try = nullptr;
    QCheckBox* Set = nullptr;
    QSpinBox* Defence = nullptr;
    QSpinBox* MaxSolutions = nullptr;
    QCheckBox* NoThreat = nullptr;
    QCheckBox* PostKeyPlay = nullptr;
    QCheckBox* NoWk = nullptr;
    QCheckBox* Variation = nullptr;
    QComboBox* OptionList = nullptr;
    QPushButton* ResetAll = nullptr;
    QPushButton* VerifyCollection = nullptr;
    QComboBox* HashMemory = nullptr;
    QComboBox* Threads = nullptr;
    QComboBox* TimeLimit = nullptr;
    QCheckBox* BlackToMove = nullptr;
    QCheckBox* WhiteShort = nullptr;
    QCheckBox* WhiteLong = nullptr;
    QCheckBox* BlackShort = nullptr;
    QCheckBox* BlackLong = nullptr;
    QLineEdit* EnPassant = nullptr;
    QPushButton* CopyItem = nullptr;
    QPushButton* SolveButton = nullptr;
    QPushButton* ViewSolution = nullptr;
    QPushButton* StopButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QLabel* Status = nullptr;

private:
    QWidget* buildPopeyeTab();
    QWidget* buildStockfishTab();
    PopeyeOptions popeyeOptions() const;
    FenOptions fenOptions() const;
    void setPane(const QStringList& lines);
    void fillPane(bool all); // the next batch of a long text, or all that is left
    void clearPane();
    void showStatus();
    void solvePopeye();
    void solveStockfish();
    // A run ended: its output goes into the pane, and the status line says what it found.
    void runEnded(bool popeye);

    Prompts& m_prompts;
    const Settings& m_settings;
    std::function<Item()> m_shownItem;
    std::function<int()> m_shownNumber;
    // What "Copy item" found in the item that must not reach Popeye, with the item's name.
    std::optional<PopeyeFileWord> m_paneFileWord;
    QString m_paneItem;
    QStringList m_paneRest; // the lines of a long text not yet in the pane
    QTimer* m_paneFiller = nullptr;
    QString m_programFolder;
    SolverRun* m_popeye = nullptr;
    SolverRun* m_stockfish = nullptr;
    QString m_note[2]; // a word on the tab's last Solve, shown after its run's state
    QString m_result;  // what Popeye's last run found wrong, said in place of its end
};

inline const QString kSolverNotFound =
    QStringLiteral("Set path to SOLVE-EXE file in \"Options\" window !");

} // namespace vexil
