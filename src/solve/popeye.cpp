#include "solve/popeye.h"

namespace vexil {

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Popeye"));
    move(183, 2);
}

} // namespace vexil
