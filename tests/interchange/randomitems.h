#pragma once

#include "model/collection.h"

#include <QList>

namespace vexil::test {

// Items as a collection gives them back (every field as stored and read again), with what
// collections hold: orthodox and fairy pieces of every side, specifications, markers,
// authors and sources with 8-bit characters, conditions with Duplex and WhiteToPlay, twins
// and solutions of several lines.
QList<Item> randomItems(int count, quint32 seed);

// Items through a collection and back: what a .dgr file gives.
QList<Item> throughCollection(const QList<Item>& items);

} // namespace vexil::test
