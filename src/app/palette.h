#pragma once

#include "model/pictureset.h"

#include <QListWidget>

namespace vexil {

// ListBox1: the 22 palette entries, two to a column, scrolled sideways.
class Palette : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kEntry = 26;
    static constexpr int kEntries = 22;

    Palette(const PictureSet& pictures, QWidget* parent = nullptr);

    // The placement code of the selected entry: entry + 1, or 0 with nothing selected.
    int selectedEntry() const;

private:
    const PictureSet& m_pictures;
};

} // namespace vexil
