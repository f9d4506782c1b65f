#pragma once

#include "settings/settings.h"

#include <QDialog>
#include <QFrame>

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vexil {

class Prompts;
class SettingsStore;

// A colour sample of the options window: it holds a colour chosen but not yet confirmed.
class ColorSample : public QFrame {
    Q_OBJECT
public:
    explicit ColorSample(const char* name, QWidget* parent = nullptr);
    StoredColor color() const { return m_color; }
    void setColor(StoredColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    StoredColor m_color = kButtonFaceColor;
};

// The windows whose places the layout keeps.
struct LayoutWindows {
    QWidget* main = nullptr;
    QWidget* fairy = nullptr;
    QWidget* list = nullptr;
    QWidget* solve = nullptr;
    QWidget* clipboard = nullptr;
};

// The options window; it keeps the Settings record and the store for the whole run. Creating
// it loads the settings; it tells when the solver parameters were loaded or changed and, when
// asked for, moves the windows to their stored places.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    // `settings` is the program's one record, which this window fills and edits.
    TForm6(Prompts& prompts, Settings& settings, std::unique_ptr<SettingsStore> store,
           const LayoutWindows& windows, QWidget* parent = nullptr);
    ~TForm6() override;

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }

    void LoadSettings();
    void SaveSettings();
    void SaveLayout();
    void ApplyLayout(const WindowLayout& layout);

    // Handlers.
    void Button1Click(); // OK
    void Button3Click(); // Change, for both samples
    void FindProgram(QLineEdit* path);

signals:
    // The four solver parameters of the settings (Popeye's memory, Stockfish's time limit,
    // threads and hash memory) were loaded or changed.
    void solverParametersChanged();

public:
    QTabWidget* PageControl1 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QPushButton* Button8 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button10 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button11 = nullptr;
    ColorSample* Panel2 = nullptr;
    ColorSample* Panel3 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void loadControls();
    void reportFailedWrite();

    Prompts& m_prompts;
    std::unique_ptr<SettingsStore> m_store;
    LayoutWindows m_windows;
    Settings& m_settings;
};

} // namespace vexil
