#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

namespace vexil {

// A colour in the stored encoding: 0x00BBGGRR, or 0x80000000 + a system colour number.
using StoredColor = quint32;

constexpr StoredColor kButtonFaceColor = 0x8000000F;

struct Settings {
    StoredColor White = kButtonFaceColor;
    StoredColor Black = 0x00808080;
    bool DragDropOnlyCursor = false;
    bool PrintCust = false;
    bool CopyCust = false;
    bool ViewCust = false;
    bool LayoutCust = false;
    QString PopeyeExe;
    QString PopeyeMem = QStringLiteral("4M");
    QString SfExe;
    QString SfHash = QStringLiteral("32");
    QString SfThreads = QStringLiteral("1");
    QString SfTime = QStringLiteral("10");
    bool operator==(const Settings&) const = default;
};

// The outer top-left corners of the four windows whose places are stored.
struct WindowLayout {
    QPoint main{102, 1};
    QPoint list{342, 6};
    QPoint solve{183, 2};
    QPoint clipboard{339, 4};
    bool operator==(const WindowLayout&) const = default;
};
// The fairy pieces dialog has no stored place: it goes beside the main window.
inline QPoint FairyDialogPlace(QPoint main)
{
    return main + QPoint(251, 28);
}
inline constexpr QPoint kFairyDialogDesignPlace{353, 30};

class SettingsStore;

inline const QString kColorsKey = QStringLiteral("Software\\Vexil\\Colors");
inline const QString kGeneralKey = QStringLiteral("Software\\Vexil\\General");
inline const QString kLayoutKey = QStringLiteral("Software\\Vexil\\Layout");
inline const QString kWindowKey = QStringLiteral("Software\\Vexil\\Window");

struct LoadedSettings {
    Settings settings;
    // The stored layout, when it is to be applied at start.
    std::optional<WindowLayout> layout;
    // The first problem met in the store, for one message; empty when there was none.
    QString problem;
};

// Reads the record from the store. A key holding a value that must be there but is missing,
// or a value of the wrong kind, leaves every value of that key at its default and is named
// in `problem`; a partly read key is never taken for a whole one.
LoadedSettings LoadSettings(const SettingsStore& store);
// Writes the colours, then the general values; false when the store could not be written.
bool SaveSettings(SettingsStore& store, const Settings& settings);
bool SaveLayout(SettingsStore& store, const WindowLayout& layout);

// The main window as it was last left: its size without the frame, and whether it filled the
// screen. Its place stays with the stored layout above.
struct MainWindowSize {
    QSize size;
    bool maximized = false;
    bool operator==(const MainWindowSize&) const = default;
};
// Nothing when no size was ever stored or the stored one is not a size.
std::optional<MainWindowSize> LoadMainWindowSize(const SettingsStore& store);
bool SaveMainWindowSize(SettingsStore& store, const MainWindowSize& window);
// A remembered size brought within the screen's `available` size but never below the
// window's `minimum`: the smallest layout wins over a smaller screen.
QSize FitWindowSize(QSize stored, QSize minimum, QSize available);

// Resolves a stored colour for painting; a system colour is looked up in the application's
// palette at that moment.
QColor PaintColor(StoredColor color);
StoredColor ToStoredColor(const QColor& color);

} // namespace vexil
