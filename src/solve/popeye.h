#pragma once

#include <QWidget>

namespace vexil {

// The solve window: a tool window beside the main window.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace vexil
