#pragma once

#include <QDialog>

namespace vexil {

// The "Fairy pieces" dialog.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
};

} // namespace vexil
