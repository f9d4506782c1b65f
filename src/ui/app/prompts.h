#pragma once

#include "model/failure.h"
#include "model/progress.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace vexil {

// Every question, message and file dialog of the program goes through one Prompts object,
// so that tests can script the answers. The real one shows the real dialogs.
class Prompts {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompts() = default;

    // A plain message box captioned "Vexil" with an OK button.
    virtual void message(QWidget* parent, const QString& text);
    // The error report for conversion and file errors.
    virtual void error(QWidget* parent, const QString& text);
    // A "Confirm" box with Yes, No and Cancel.
    virtual Answer confirmYesNoCancel(QWidget* parent, const QString& text);
    // A "Confirm" box with OK and Cancel; true for OK.
    virtual bool confirmOkCancel(QWidget* parent, const QString& text);
    // The open dialog; an empty result is a cancel.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix);
    // The save dialog, asking before it overwrites; an empty result is a cancel.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix);
    // The save dialog for a file that is appended to, so that it asks nothing when the file
    // exists; an empty result is a cancel.
    virtual QString appendFileName(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& defaultSuffix);
    // The dialog "Copy item(s) to collection" that the toolbar's Copy and the list window's
    // copy of selected items share.
    // The extension chosen (".dgr", ".olv", ".inp") decides the format the items are written in.
    QString copyTargetFileName(QWidget* parent);
    // The main window's "Open or create collection" dialog: collections and the formats Open
    // converts into one.
    QString openCollectionFileName(QWidget* parent);
    // An input box; no value for a cancel.
    virtual std::optional<QString> inputText(QWidget* parent, const QString& caption,
                                             const QString& prompt, const QString& value);

    // The colour dialog; no value for a cancel.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial);

    // Shows a failure the way its kind asks for.
    void report(QWidget* parent, const Failure& failure);

    // A report that may be long (what a conversion could not carry over): the text in a
    // scrollable field, with OK.
    virtual void showReport(QWidget* parent, const QString& title, const QString& text);
    // The same with OK and Cancel, for a report the user reads before going on; true for OK.
    virtual bool confirmReport(QWidget* parent, const QString& title, const QString& text);

    // Runs `work` on a thread of its own while a window shows `text`, a progress bar and
    // Cancel; the program's windows keep answering meanwhile. Cancel makes the work's next
    // progress report throw Abandon. Returns when the work has ended and throws what it threw
    // (Failure, Abandon), and Abandon when the user cancelled at all.
    using Work = std::function<void(const Progress&)>;
    virtual void runWithProgress(QWidget* parent, const QString& text, const Work& work);
};

} // namespace vexil
