#include "scriptedprompts.h"

#include "app/idgr.h"
#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <atomic>

namespace vexil::test {

void ScriptedPrompts::message(QWidget*, const QString& text)
{
    shown << QStringLiteral("message: ") + text;
}

void ScriptedPrompts::error(QWidget*, const QString& text)
{
    shown << QStringLiteral("error: ") + text;
}

Prompts::Answer ScriptedPrompts::confirmYesNoCancel(QWidget*, const QString& text)
{
    shown << QStringLiteral("question: ") + text;
    if (answers.empty()) {
        QTest::qFail("an unexpected question", __FILE__, __LINE__);
        return Answer::Cancel;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedPrompts::confirmOkCancel(QWidget*, const QString& text)
{
    shown << QStringLiteral("question: ") + text;
    if (okAnswers.empty()) {
        QTest::qFail("an unexpected question", __FILE__, __LINE__);
        return false;
    }
    const bool answer = okAnswers.front();
    okAnswers.pop_front();
    return answer;
}

QString ScriptedPrompts::openFileName(QWidget*, const QString& title, const QString& filter,
                                      const QString&)
{
    shown << QStringLiteral("open: ") + title;
    filters << filter;
    return nextFileName();
}

QString ScriptedPrompts::saveFileName(QWidget*, const QString& title, const QString&,
                                      const QString&)
{
    shown << QStringLiteral("save: ") + title;
    return nextFileName();
}

QString ScriptedPrompts::appendFileName(QWidget*, const QString& title, const QString&,
                                        const QString&)
{
    shown << QStringLiteral("append: ") + title;
    return nextFileName();
}

QString ScriptedPrompts::nextFileName()
{
    if (fileNames.empty())
        return {};
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}

std::optional<QString> ScriptedPrompts::inputText(QWidget*, const QString& caption,
                                                  const QString& prompt, const QString&)
{
    shown << QStringLiteral("input: ") + caption + QStringLiteral(" / ") + prompt;
    if (inputs.empty())
        return std::nullopt;
    const std::optional<QString> value = inputs.front();
    inputs.pop_front();
    return value;
}

std::optional<QColor> ScriptedPrompts::chooseColor(QWidget*, const QColor& initial)
{
    shown << QStringLiteral("colour: ") + initial.name();
    if (colors.empty())
        return std::nullopt;
    const std::optional<QColor> color = colors.front();
    colors.pop_front();
    return color;
}

void ScriptedPrompts::showReport(QWidget*, const QString& title, const QString& text)
{
    shown << QStringLiteral("report: ") + title;
    reports << text;
}

void ScriptedPrompts::runWithProgress(QWidget* parent, const QString& text, const Work& work)
{
    progressTexts << text;
    if (cancelAfterReports < 0) {
        Prompts::runWithProgress(parent, text, work);
        return;
    }
    std::atomic<int> reports{0};
    const int cancelAfter = cancelAfterReports;
    Prompts::runWithProgress(parent, text, [&](const Progress& progress) {
        work([&](qint64 done, qint64 total) {
            if (reports++ >= cancelAfter) {
                // As the window's Cancel would, from the interface thread.
                QMetaObject::invokeMethod(
                    qApp,
                    [] {
                        for (QWidget* w : QApplication::topLevelWidgets())
                            if (auto* dialog = qobject_cast<QProgressDialog*>(w))
                                dialog->findChild<QPushButton*>()->click();
                    },
                    Qt::BlockingQueuedConnection);
            }
            progress(done, total);
        });
    });
}

bool ScriptedPrompts::confirmReport(QWidget*, const QString& title, const QString& text)
{
    shown << QStringLiteral("report question: ") + title;
    reports << text;
    if (okAnswers.empty()) {
        QTest::qFail("an unexpected question", __FILE__, __LINE__);
        return false;
    }
    const bool answer = okAnswers.front();
    okAnswers.pop_front();
    return answer;
}

std::unique_ptr<Program> startProgram(const QString& folder, ScriptedPrompts*& prompts,
                                      const QString& settingsPath)
{
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    auto program = std::make_unique<Program>(
        folder, std::move(scripted),
        settingsPath.isEmpty() ? QDir(folder).filePath(QStringLiteral("settings.reg"))
                               : settingsPath);
    program->main().show();
    return program;
}

} // namespace vexil::test
