#pragma once

#include "model/collection.h"

#include <QString>

namespace vexil {

// What the list window and the list of diagrams show of one item, cut from its stored lines.
// The views paint the item as stored, not the main window's unsaved edits, and an apostrophe
// that was stored as a backquote stays one.
struct Entry {
    QString title; // number, ". ", author
    QString source;
    QString stipulation; // stipulation and condition; the twins are not shown
    bool operator==(const Entry&) const = default;
};

// The stored text of a text line: the line without its opener "['" and its closer of
// `closerLength` bytes; nothing for a line too short to hold both.
QByteArrayView StoredText(QByteArrayView line, int closerLength);

// The entry of item `number`; an empty entry when the collection has no such item. Never
// throws: a malformed line shows as an empty text.
Entry EntryOf(const Collection& collection, int number) noexcept;

// The board of item `number` as the list of diagrams draws it: in each row line the codes
// between the first "[" and the first "]"; a value that is no number, and a row or an item
// that is missing, give empty squares. Never throws.
Board EntryBoard(const Collection& collection, int number) noexcept;
// One stored board row read the same way: the eight codes between its first "[" and first "]".
void ReadBoardRow(QByteArrayView line, PieceCode (&row)[8]) noexcept;

// The entry in one line, for a screen reader: "12. W. A. Shinkman, American Chess Bulletin, #2".
// Empty texts are left out.
QString AccessibleEntryText(const Entry& entry);

} // namespace vexil
