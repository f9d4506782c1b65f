#pragma once

#include "verify/movecompare.h"
#include "verify/popeyeoutput.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace vexil {

class Collection;

// The verification of one item.
struct VerifyRecord {
    int number = 0;
    QByteArray key;  // ItemKey of the item and options verified
    QString options; // the options as they entered the key (VerifyOptionsText)
    Outcome outcome = Outcome::Failed;
    QString detail; // the offending item of an input error, or why a run failed
    int solutions = 0;
    QStringList firstMoves;
    MoveMatch storedMove = MoveMatch::Unknown;
    double seconds = 0;
    bool interrupted = false; // the outcome was reached before a time limit ended the search
    QString output;           // Popeye's solution text
    bool operator==(const VerifyRecord&) const = default;
};

// The outcome as the results table shows it: "cooked (interrupted)" when a time limit ended
// the search after it had found enough to say so.
QString RecordOutcomeText(const VerifyRecord& record);

// "c.dgr" keeps its results in "c.dgr.verify".
QString VerifyResultsPath(const QString& collectionPath);

// The options of a verification as they enter the key: a change of them verifies again.
QString VerifyOptionsText(int maxTimeSeconds);

// A hash of an item's stored lines and the options, as hexadecimal text.
QByteArray ItemKey(QByteArrayView storedLines, QStringView options);
// The stored lines of an item: lines 1 to 13 of its block, each followed by CR LF; empty for
// an item that is not there.
QByteArray StoredItemLines(const Collection& collection, int number);

// The results kept beside a collection, found by key: an item keeps its result when it is
// moved or renumbered, and loses it when its lines or the options change.
class VerifyResults {
public:
    // A missing file gives no results. A file that cannot be read as results gives none
    // either; it is then copied aside to "<path>.damaged", so that the next write does not
    // lose it, and `problem` says so. Only a regular file under 64 MB is read, never through
    // a link; anything else gives no results, a problem, and `mayWrite` false: the caller
    // keeps its results in memory rather than write them there.
    static VerifyResults read(const QString& path, QString* problem = nullptr,
                              bool* mayWrite = nullptr);
    // Writes atomically, never through a link nor over a read-only file; throws Failure
    // ("Cannot create file %s").
    void write(const QString& path) const;
    QByteArray toBytes() const;

    const VerifyRecord* find(const QByteArray& key) const;
    void put(const VerifyRecord& record);
    // Forgets the results of items that are no longer there as they were.
    void keepOnly(const QSet<QByteArray>& keys);
    // Forgets the results that belong to none of the items `count` items whose stored lines
    // `storedLines` gives, under the options each result was made with.
    void keepItems(int count, const std::function<QByteArray(int)>& storedLines);
    int size() const { return int(m_byKey.size()); }
    QList<VerifyRecord> records() const; // by item number

private:
    QHash<QByteArray, VerifyRecord> m_byKey;
};

// The items among `numbers` that have no result for their present key, in their order.
QList<int> StaleItems(const VerifyResults& results, const QList<int>& numbers,
                      const std::function<QByteArray(int)>& key);

} // namespace vexil

Q_DECLARE_METATYPE(vexil::VerifyRecord)
