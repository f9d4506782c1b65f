#pragma once

#include <QWidget>

namespace vexil {

// The clipboard window: a tool window beside the main window.
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
};

} // namespace vexil
