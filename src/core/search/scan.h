#pragma once

#include "model/collection.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <functional>

namespace vexil {

// One item met by a scan: views of its stored lines, valid only during the call that hands it
// over. Nothing is decoded or copied unless asked for; the board is read from its rows on the
// first call of board().
class ScannedItem {
public:
    int number() const { return m_number; }
    // Line `offset` (1 to 13) of the block without its line end.
    QByteArrayView line(int offset) const { return m_lines[offset]; }

    // The stored texts between their brackets; a line too short for them gives nothing.
    QByteArrayView author() const;
    QByteArrayView source() const;
    QByteArrayView solution() const; // solution lines joined by the stored "\n"
    QByteArrayView stipulationLine() const;
    // The stipulation line taken apart as an item is read: the stipulation up to the first
    // blank, the condition up to the first stored "\n", then the twin lines.
    QByteArrayView stipulation() const;
    QByteArrayView condition() const;
    QByteArrayView twins() const; // twin lines joined by the stored "\n"
    int twinCount() const;

    const Board& board() const;
    // Lines 1 to 13, each followed by CR LF: what a verification's key is made from.
    QByteArray storedLines() const;

private:
    friend class ItemScanner;
    void splitStipulationLine() const;

    int m_number = 0;
    std::array<QByteArrayView, kItemLines> m_lines{};
    mutable bool m_haveBoard = false;
    mutable Board m_board;
    mutable bool m_haveParts = false;
    mutable QByteArrayView m_stipulation, m_condition, m_twins;
    mutable int m_twinCount = 0;
};

// Called with every item in file order; returning false ends the scan.
using ScanFunction = std::function<bool(const ScannedItem&)>;

// Hands items 1 to itemCount() of `collection` to `visit`, reading the lines from the stored
// bytes in place. The one way Find, search and duplicate checks walk a collection's items.
// Returns false when `visit` ended the scan.
bool ScanCollection(const Collection& collection, const ScanFunction& visit);

// The same over a collection file as it is on disk now. Throws Failure as Collection::fromFile
// does (a file that cannot be read, or that breaks the block rules).
bool ScanCollectionFile(const QString& path, const ScanFunction& visit);

// Walks one item block at a time; for callers that keep their own loop (a worker that checks
// for Stop between items).
class ItemScanner {
public:
    explicit ItemScanner(const Collection& collection) : m_collection(collection) {}
    int itemCount() const { return m_collection.itemCount(); }
    // Item `number` (1 to itemCount()); the reference stays valid until the next call.
    const ScannedItem& item(int number);

private:
    const Collection& m_collection;
    ScannedItem m_item;
};

} // namespace vexil
