#pragma once

#include "model/pictureset.h"
#include "views/entrymodels.h"

#include <QDialog>
#include <QTableView>

#include <optional>

namespace vexil {

class OpenCollection;
struct Settings;

// The list of diagrams: a modal window, opened maximized, with the items as a grid of small
// diagrams; Enter or a double click closes it and shows the item of the current cell.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    TForm7(const OpenCollection& collection, const Settings& settings, QWidget* parent = nullptr);

    void setShowItem(ShowItemFunction show) { m_show = std::move(show); }

    // The window's part of "List of diagrams", after the question about unsaved changes:
    // shows the window modally on the cell of the item shown and, when it closes with OK,
    // shows the item of the current cell.
    void chooseItem();
    // Each time the window is shown: the row count, and the current cell on the item shown.
    void FormActivate();
    // The number that the current cell stands for (beyond the last item for an empty cell).
    int chosenNumber() const;
    int columnCount() const { return m_model->columns(); }

    const PictureSet& pictures();

    QTableView* DrawGrid1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The column count, once, from the width of the screen the window is maximized on.
    void fixColumns();
    void placeGrid();

    const OpenCollection& m_collection;
    const Settings& m_settings;
    DiagramGridModel* m_model;
    ShowItemFunction m_show;
    std::optional<PictureSet> m_pictures;
    bool m_columnsFixed = false;
};

} // namespace vexil
