#include "app/fairy.h"

namespace vexil {

TForm4::TForm4(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Fairy pieces"));
    move(353, 30);
}

} // namespace vexil
