#pragma once

#include "app/prompts.h"

#include <QStringList>

#include <deque>
#include <memory>

namespace vexil {
class Program;
}

namespace vexil::test {

// Prompts with answers given in advance; every question and message is recorded. A question
// with no answer left fails the test that asked it.
class ScriptedPrompts : public Prompts {
public:
    std::deque<Answer> answers;
    std::deque<bool> okAnswers;
    std::deque<QString> fileNames;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QColor>> colors;
    QStringList shown;   // every message, error and question, in order
    QStringList filters; // the filter of every file dialog, in order

    void message(QWidget*, const QString& text) override;
    void error(QWidget*, const QString& text) override;
    Answer confirmYesNoCancel(QWidget*, const QString& text) override;
    bool confirmOkCancel(QWidget*, const QString& text) override;
    QString openFileName(QWidget*, const QString& title, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString& title, const QString&, const QString&) override;
    QString appendFileName(QWidget*, const QString& title, const QString&, const QString&) override;
    std::optional<QString> inputText(QWidget*, const QString& caption, const QString& prompt,
                                     const QString&) override;
    std::optional<QColor> chooseColor(QWidget*, const QColor& initial) override;
    // Recorded in `shown` as "report: <title>" and in `reports` as their text; confirmReport
    // takes its answer from `okAnswers`.
    QStringList reports;
    void showReport(QWidget*, const QString& title, const QString& text) override;
    bool confirmReport(QWidget*, const QString& title, const QString& text) override;
    // Runs the work the real way, its text recorded in `progressTexts`; with
    // `cancelAfterReports` at 0 or more, Cancel is pressed after that many progress reports.
    int cancelAfterReports = -1;
    QStringList progressTexts;
    void runWithProgress(QWidget* parent, const QString& text, const Work& work) override;

private:
    QString nextFileName();
};

// Starts the program with scripted prompts, its fairy pictures and settings in `folder`
// (settings in "settings.reg" there unless `settingsPath` names another file), and shows its
// main window. `prompts` is set to the program's prompts.
std::unique_ptr<Program> startProgram(const QString& folder, ScriptedPrompts*& prompts,
                                      const QString& settingsPath = QString());

} // namespace vexil::test
