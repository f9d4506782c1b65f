#pragma once

#include "model/collection.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vexil {

// One position of an item: the diagram, or a twin built from its twin line.
struct Twin {
    QString label;          // "a", "b", ...; empty for an item without twins
    QString line;           // the twin line it comes from; empty for the diagram as a)
    bool continued = false; // built on the previous twin ("Cont"), shown "+c)" by Popeye
    Board board;
    QString stipulation;
    QString condition;
    QString header; // as Popeye heads it: "wRg6-->g7", "-bPc4  rotate 90", "h#1"
    // Why the line could not be built whole, as Popeye says it ("c4: square is empty -
    // cannot (re)move any piece.", "A piece will be moved outside."); the position stays as
    // it was before the command that failed.
    QString error;
};

// The positions an item's twin lines give, in Popeye's order: without twin lines one position,
// the diagram, with no label; otherwise a) the diagram and b), c), ... one per "Twin" line.
// A first "Zero" line makes the diagram a zero position: a) is then that line's twin and every
// later line starts from the diagram again unless it continues. Commands: Move, Exchange,
// Remove, Add, Substitute, Rotate (90, 180, 270), Mirror (a1<-->h1, a1<-->a8, a1<-->h8,
// h1<-->a8), Shift, PolishType, Stipulation, Condition, each written whole or cut to a unique
// prefix, several on one line; "Cont" builds on the previous twin. Blank lines are no twins.
// A line written as Popeye heads its twins ("b) wRg6-->g7", "b) bSa1-h1", "+c) -bPc4",
// "b) Zebra e6 -> d6", "b) Q ==> R") is read too, "+" continuing; "a) ..." before any twin
// names the diagram and adds none.
QList<Twin> BuildTwins(const Item& item);

// Popeye's printed changes of one twin, one after another: "wRg6-->g7", "-bPc4", "+wBc1",
// "wQh1<-->wSe5", "Q ==> R", "rotate 90", "mirror a1<-->h1", "PolishType", "h#1", "Circe";
// as the words of the twin commands they stand for ("Move g6 g7 Remove c4"). None when a
// word is none of them. The text given to Popeye and the twins built here read them alike.
std::optional<QStringList> PrintedTwinChanges(const QStringList& words);

// "a", "b", ..., "z", "aa", "ab", ...: the label of the twin at `index`.
QString TwinLabel(int index);

} // namespace vexil
