#pragma once

#include "model/failure.h"

#include <QColor>
#include <QString>

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
    // An input box; no value for a cancel.
    virtual std::optional<QString> inputText(QWidget* parent, const QString& caption,
                                             const QString& prompt, const QString& value);

    // The colour dialog; no value for a cancel.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial);

    // Shows a failure the way its kind asks for.
    void report(QWidget* parent, const Failure& failure);

    // The save dialog of a copy: items are appended to the file chosen, so choosing an
    // existing one asks nothing. An empty result is a cancel.
    virtual QString saveFileNameForAppend(QWidget* parent, const QString& title,
                                          const QString& filter, const QString& defaultSuffix);
};

} // namespace vexil
