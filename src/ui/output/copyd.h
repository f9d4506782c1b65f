#pragma once

#include "settings/settings.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace vexil {

class Prompts;
class TForm1;

// The clipboard window: a modeless tool window beside the main window that renders the item
// shown as text and copies it, or its diagram, to the clipboard.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(Prompts& prompts, const Settings& settings, TForm1& main);

    // The toolbar's Export: fresh fairy-piece text, then the window shown or raised.
    void Export();

    // Handlers.
    void FormActivate();
    void CheckBox2Click();            // All in text notation
    void Button5Click();              // Copy all text
    void Button1Click();              // Copy selected text
    void CopyDiagram(int squareSize); // Button2 (27) and Button3 (25)
    void Button4Click();              // Close
    void TwinsBoxClick();             // Twins' diagrams

    QPlainTextEdit* Memo1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button4 = nullptr;
    // The twins' positions in the text and their diagrams in the picture.
    QCheckBox* TwinsBox = nullptr;

protected:
    bool event(QEvent* event) override;

private:
    void refill();

    Prompts& m_prompts;
    const Settings& m_settings;
    TForm1& m_main;
};

} // namespace vexil
