#include "views/entrypainter.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace vexil {

void PaintEntry(QPainter* painter, const QStyleOptionViewItem& option, const QString& title,
                const QString& source, const QString& stipulation)
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->save();
    painter->fillRect(option.rect, selected ? palette.color(QPalette::Highlight)
                                            : palette.color(QPalette::Button));
    painter->setPen(selected ? palette.color(QPalette::HighlightedText)
                             : palette.color(QPalette::ButtonText));
    const QRect r = option.rect;
    QFont bold = option.font;
    bold.setBold(true);
    auto write = [&](const QFont& font, int x, int y, const QString& text) {
        painter->setFont(font);
        painter->drawText(
            QRect(r.left() + x, r.top() + y, r.width() - x, QFontMetrics(font).height()),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    };
    write(bold, 4, 4, title);
    write(option.font, 8, 17, source);
    write(option.font, 12, 31, stipulation);
    if (option.state & QStyle::State_HasFocus) {
        // The current entry, which Find / Next starts from.
        painter->setPen(
            QPen(palette.color(selected ? QPalette::HighlightedText : QPalette::ButtonText), 1,
                 Qt::DotLine));
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

} // namespace vexil
