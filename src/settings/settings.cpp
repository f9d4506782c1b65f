#include "settings/settings.h"

#include <QGuiApplication>
#include <QPalette>

namespace vexil {

QColor PaintColor(StoredColor color)
{
    if (color & 0x80000000u) {
        // Only the face colour of buttons and dialogs is ever used; any other system colour
        // number falls back to it as well.
        return QGuiApplication::palette().color(QPalette::Button);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

StoredColor ToStoredColor(const QColor& color)
{
    return StoredColor(color.red()) | StoredColor(color.green()) << 8 |
           StoredColor(color.blue()) << 16;
}

} // namespace vexil
