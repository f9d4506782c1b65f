#pragma once

#include <QColor>
#include <QString>

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

// Resolves a stored colour for painting; a system colour is looked up in the application's
// palette at that moment.
QColor PaintColor(StoredColor color);
StoredColor ToStoredColor(const QColor& color);

} // namespace vexil
