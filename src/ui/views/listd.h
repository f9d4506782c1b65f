#pragma once

#include <QDialog>

namespace vexil {

// The list of diagrams: a modal window, opened maximized.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
};

} // namespace vexil
