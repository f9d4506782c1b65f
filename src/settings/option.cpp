#include "settings/option.h"

namespace vexil {

TForm6::TForm6(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Options"));
}

} // namespace vexil
