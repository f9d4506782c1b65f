#pragma once

#include <QList>
#include <QWidget>

class QFrame;
class QLabel;
class QToolButton;

namespace vexil {

class BoardView;
class Palette;

// The main window's client area. At its smallest every control stands where it always has;
// a larger window gives the board the largest square the height allows, but never more than
// half of the extra width, and the item's fields the rest. The board's tools, the palette and
// the labels under the board follow it; the fields column lays itself out.
class MainArea : public QWidget {
public:
    static constexpr QSize kSmallest{640, 418};

    // What the area places; the fields column is a widget with a layout of its own.
    struct Parts {
        QFrame* rule = nullptr; // under the toolbar
        BoardView* board = nullptr;
        QList<QToolButton*> tools;    // the transformations, under the board
        QLabel* banner = nullptr;     // over the tools while a replay is shown
        QWidget* pieceLine = nullptr; // over the tools while pieces are typed
        Palette* palette = nullptr;
        QLabel* version = nullptr;
        QWidget* twinBar = nullptr; // over the version label
        QLabel* logo = nullptr;
        QWidget* fields = nullptr;
    };

    explicit MainArea(QWidget* parent = nullptr) : QWidget(parent) {}
    void setParts(const Parts& parts);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override { return minimumSizeHint(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();

    Parts m_parts;
};

} // namespace vexil
