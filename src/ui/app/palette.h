#pragma once

#include "app/boardview.h"
#include "model/pictureset.h"
#include "settings/settings.h"

#include <QListWidget>

namespace vexil {

// ListBox1: the 22 palette entries, two to a column, scrolled sideways.
class Palette : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kEntry = 26;
    static constexpr int kEntries = 22;

    Palette(const PictureSet& pictures, const Settings& settings, QWidget* parent = nullptr);

    // The selected entry, or -1 before the first click.
    int selectedEntry() const;
    // The width that shows every entry; more would only show empty space.
    int widestUseful() const;

signals:
    void dragEnded();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const PictureSet& m_pictures;
    const Settings& m_settings; // read at every drag
    DragGesture m_drag;
};

} // namespace vexil
