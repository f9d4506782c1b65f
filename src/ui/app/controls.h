#pragma once

#include <QStringList>

class QComboBox;
class QWidget;

namespace vexil {

// An editable drop-down list of choices that accepts any typed text (and never adds what was
// typed to its choices).
QComboBox* ChoiceList(const char* name, const QStringList& items, QWidget* parent);

} // namespace vexil
