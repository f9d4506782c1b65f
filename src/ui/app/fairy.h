#pragma once

#include "model/pieces.h"

#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;

namespace vexil {

// The "Fairy pieces" dialog: a specification and a kind for the fairy piece being placed.
// Its choices stay after it closes, and placements by mouse click read them without it.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // The code of a fairy piece of palette base 17, 18 or 19 with the current choices.
    PieceCode fairyCode(int base) const;

    QListWidget* ListBox1 = nullptr; // specifications
    QComboBox* ComboBox1 = nullptr;  // kinds
    QPushButton* Button1 = nullptr;  // OK
    QPushButton* Button2 = nullptr;  // Cancel

protected:
    // FormActivate: every showing starts without a specification.
    void showEvent(QShowEvent* event) override;
};

// The fairy code of a palette base from the dialog's rows, both counted from 0.
PieceCode FairyCode(int base, int kindRow, int specificationRow);

} // namespace vexil
