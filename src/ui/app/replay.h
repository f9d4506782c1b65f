#pragma once

#include "solution/solution.h"

#include <QObject>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QToolButton;
class QWidget;

namespace vexil {

class BoardView;

// The replay of an item's solution and twins on the main window's board. The moves of the
// solution field are links (underlined; a click on one shows the position after it), Alt+Right
// and Alt+Left step through the line at the field's cursor, and the twin buttons show each
// twin. What is shown is a position of the board view's own, marked by the banner and a tinted
// frame: the item itself never changes. `stop` (Escape, another item, any edit) shows the
// item's own position again.
class SolutionReplay : public QObject {
    Q_OBJECT
public:
    // `item` gives the item as the fields hold it now, its twin and solution lines as typed.
    SolutionReplay(BoardView* board, QPlainTextEdit* solution, QLabel* banner, QWidget* twinBar,
                   std::function<Item()> item, QObject* parent = nullptr);

    bool isActive() const { return m_active; }
    // The move of the solution field's line `line` (a line of the text, not of the wrapped
    // view) at `move`, counted among the moves read on that line.
    void showMove(int line, int move);
    // One move on or back along the line at the field's cursor; back from its first move
    // returns to the item's own position.
    void step(int direction);
    void showTwin(int index);
    void stop();
    // The fields or the board changed: the replay ends and the links are read again.
    void itemChanged();

    const Solution& solution();
    const QList<Twin>& twins();
    QList<QToolButton*> twinButtons() const { return m_twinButtons; }

signals:
    void activeChanged(bool active);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reread();
    void show(const Board& board, const QList<Square>& marked, const QString& banner);
    const SolutionMove* moveAt(int line, qsizetype position);

    BoardView* m_board;
    QPlainTextEdit* m_solution;
    QLabel* m_banner;
    QWidget* m_twinBar;
    std::function<Item()> m_item;
    QList<QToolButton*> m_twinButtons;

    bool m_stale = true;
    bool m_rereadPending = false;
    Solution m_read;
    QList<Twin> m_twins;
    bool m_active = false;
    int m_line = -1; // the line and move shown, -1 for a twin
    int m_move = -1;
};

} // namespace vexil
