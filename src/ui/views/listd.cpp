#include "views/listd.h"

namespace vexil {

TForm7::TForm7(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("List of diagrams"));
}

} // namespace vexil
