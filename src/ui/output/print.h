#pragma once

#include "settings/settings.h"

#include <functional>

class QPrinter;
class QWidget;

namespace vexil {

class Prompts;
class TForm1;

// What is printed besides the item itself, chosen in the print dialog.
struct PrintChoice {
    bool twinDiagrams = false; // the diagram of every twin under the item's
};

// Lets the user pick the printer and its settings; false when the dialog is cancelled.
// Tests put a scripted choice in its place.
using PrintDialogChoice =
    std::function<bool(QPrinter& printer, PrintChoice& choice, QWidget* parent)>;

// The platform's print dialog, with a tab for `choice`; the choice stays for the session.
bool ShowPrintDialog(QPrinter& printer, PrintChoice& choice, QWidget* parent);

// Prints the item the main window shows, unsaved edits included: the diagram with its
// stipulation and condition under it, author, source, twins, fairy pieces and solution beside
// it; a column longer than the page goes on over further pages. With the twins' diagrams
// chosen, each twin's smaller diagram and caption go under the item's diagram. Reports
// through `prompts`; throws Failure when the printer reports an error after the page was
// handed over.
void PrintItem(TForm1& main, Prompts& prompts, const Settings& settings,
               const PrintDialogChoice& choose = ShowPrintDialog);

} // namespace vexil
