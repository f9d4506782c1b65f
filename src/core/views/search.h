#pragma once

#include "model/collection.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace vexil {

// The upper case of every Windows-1252 byte, as the letter is shown: "é" (0xE9) gives "É"
// (0xC9), "ÿ" gives "Ÿ", "š" gives "Š". A letter whose upper case has no byte of its own
// ("ß", "µ") and every other byte stay as they are.
const std::array<uchar, 256>& UpperCaseTable();
QByteArray UpperCase1252(QByteArrayView bytes);

// Looks for `text` in lines of Windows-1252 bytes, both compared in upper case, without
// making an upper-case copy of the lines.
class TextFinder {
public:
    // A text with a character that Windows-1252 cannot hold, a line break, or no character
    // at all is found nowhere.
    explicit TextFinder(const QString& text);

    bool canMatch() const { return !m_pattern.isEmpty(); }
    // The offset of the first occurrence in `bytes`, or -1. Never compares more than a few
    // times as many bytes as `bytes` holds, whatever the text.
    qsizetype find(QByteArrayView bytes) const;
    // The bytes compared by the last find.
    qsizetype comparisons() const { return m_comparisons; }

private:
    qsizetype findFrom(QByteArrayView bytes, qsizetype from) const;

    QByteArray m_pattern; // in upper case
    std::array<qsizetype, 256> m_shift{};
    QList<qsizetype> m_border; // per prefix length, its longest proper border
    mutable qsizetype m_comparisons = 0;
};

// The bytes of a collection as they are written, with the place where each item block
// starts, kept for repeated searches: copying the collection is most of the cost of a search.
class SearchText {
public:
    SearchText() = default;
    explicit SearchText(const Collection& collection);

    bool isEmpty() const { return m_blockStart.isEmpty(); }
    // Find / Next as FindNextLine below, over the bytes kept; `collection` must be the one
    // they were taken from (it tells where items are).
    int findNextLine(const Collection& collection, const QString& text, int currentEntry) const;

private:
    QByteArray m_bytes;
    QList<qsizetype> m_blockStart; // and the end of the bytes after the last block
};

// Find / Next over the stored lines of `collection`: the index of the first line that holds
// `text`, searched first from the item after the current entry's item to the end, then from
// item 1 through the current entry's item itself. All 14 lines of an item are searched, the
// header line and the board rows included; the header item is not. `currentEntry` is the
// current entry's position (its item number - 1), -1 for none. Returns -1 when nothing
// matches, and for an empty text.
int FindNextLine(const Collection& collection, const QString& text, int currentEntry);

} // namespace vexil
