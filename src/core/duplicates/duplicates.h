#pragma once

#include "duplicates/equivalence.h"
#include "duplicates/storedboard.h"
#include "model/collection.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vexil {

// One collection that "Is it new?" and "Find duplicates" search.
struct SearchedCollection {
    QString fileName;
    Collection collection;
    int skipNumber = 0; // the item shown, which is no anticipation of itself; 0 for none
    bool open = false;  // the open collection, whose items the main window shows
};

// The open collection (when there is one) and then every readable file of `files` that is not
// the open one. Files that cannot be read or are no collection are left out, each with its
// message in `failures`.
QList<SearchedCollection> CollectionsToSearch(const QString& openFile, const Collection& open,
                                              int currentNumber, const QStringList& files,
                                              QStringList* failures = nullptr);

struct DuplicateOptions {
    Equivalence equivalence = Equivalence::ColoursSwapped;
    bool near = false;            // one unit away counts too
    bool sameStipulation = false; // and the stored stipulations must be equal
};

// One item found, and what makes it equal to the position it was compared with.
struct DuplicateMatch {
    enum class Kind { First, Same, Symmetric, ColoursSwapped, OneUnitAway };
    Kind kind = Kind::Same;
    int collection = 0; // position in the list searched
    int number = 0;
    QString explanation; // "mirrored", "bQd8 removed", ... ; empty for the same position
    int relatedTo = -1;  // in a group: the member this one was compared with
    QString author;
    QString source;
    QString stipulation; // stipulation and condition as stored
    bool operator==(const DuplicateMatch&) const = default;
};
using DuplicateGroup = QList<DuplicateMatch>;

// "Is it new?": every item of `collections` whose position equals `board` under the options,
// or (with `near`) stands one unit away from it. Boards that cannot be read and boards without
// pieces are passed over. Listed as the kinds come, then by collection and number.
QList<DuplicateMatch> FindAnticipations(const Board& board, const QString& stipulation,
                                        const QList<SearchedCollection>& collections,
                                        const DuplicateOptions& options);

// "Find duplicates": the groups of items whose positions are equal under the options, largest
// first. Each group's first member is its reference; without `near` every other member is
// explained against it, with `near` against the member it was joined through (`relatedTo`),
// as a chain of near positions need not be near its start.
QList<DuplicateGroup> FindDuplicates(const QList<SearchedCollection>& collections,
                                     const DuplicateOptions& options);

// The kind as the lists name it.
QString MatchKindText(DuplicateMatch::Kind kind);

// The groups as CSV: one row per member with its group number and the number of the member
// it was compared with (RFC 4180 quoting).
QByteArray DuplicateGroupsCsv(const QList<DuplicateGroup>& groups,
                              const QList<SearchedCollection>& collections);

} // namespace vexil
