#pragma once

#include <QString>

class QPainter;
class QStyleOptionViewItem;

namespace vexil {

// The height of an entry of the list window and of the search results.
constexpr int kEntryHeight = 50;

// Paints an entry as the list window shows one: the title in bold, the source and the
// stipulation under it, each line further in; the current entry gets a dotted frame.
void PaintEntry(QPainter* painter, const QStyleOptionViewItem& option, const QString& title,
                const QString& source, const QString& stipulation);

} // namespace vexil
