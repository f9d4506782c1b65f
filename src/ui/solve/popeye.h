#pragma once

#include <QWidget>

class QComboBox;
class QPlainTextEdit;
class QTabWidget;

namespace vexil {

// The solve window: a tool window beside the main window. It keeps its own copies of the four
// solver parameters, which the options window pushes into it.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    void setSolverParameters(const QString& popeyeMemory, const QString& timeLimit,
                             const QString& threads, const QString& hashMemory);

    QPlainTextEdit* Memo1 = nullptr;
    QTabWidget* TabSet = nullptr;
    QComboBox* PopeyeMemory = nullptr;
    QComboBox* HashMemory = nullptr;
    QComboBox* Threads = nullptr;
    QComboBox* TimeLimit = nullptr;
};

// The choices offered for the solver parameters.
const QStringList& PopeyeMemoryChoices();
const QStringList& HashMemoryChoices();
const QStringList& ThreadChoices();
const QStringList& TimeLimitChoices();

} // namespace vexil
