#include "output/copyd.h"

namespace vexil {

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Copy to Clipboard"));
    move(339, 4);
}

} // namespace vexil
