#pragma once

#include <QSizePolicy>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QEvent;
class QPushButton;
class QString;
class QWidget;

namespace vexil {

// An editable drop-down list of choices that accepts any typed text (and never adds what was
// typed to its choices).
QComboBox* ChoiceList(const char* name, const QStringList& items, QWidget* parent);

// Makes the drop-down list of `combo` as wide as its longest entry, so that no entry is cut
// before it is chosen.
void WidenPopupToEntries(QComboBox* combo);

// A named push button that takes Enter only when it is a dialog's default button; `hint`,
// when given, is its tool tip and what a screen reader says of it.
QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent,
                         const QString& hint = {});
QCheckBox* NamedCheckBox(const char* name, const QString& caption, QWidget* parent);

// A control of a row whose width comes from the row alone, at least `width`.
template <typename Control> Control* ShareRow(Control* control, int width)
{
    control->setSizePolicy(QSizePolicy::Ignored, control->sizePolicy().verticalPolicy());
    control->setMinimumWidth(width);
    return control;
}

// Whether `event` is a press of Return or Enter, the key that chooses a list's current entry.
bool IsEnterPress(const QEvent* event);

} // namespace vexil
