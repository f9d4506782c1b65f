#pragma once

#include "solution/twins.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vexil {

// What a verification says of one item.
// Refused: the item was not given to Popeye at all (its text would have made Popeye write a
// file).
enum class Outcome { Sound, Cooked, NoSolution, TimeLimit, InputError, Failed, Refused };

// "sound", "cooked", "no solution", "time limit", "input error", "failed", "refused".
QString OutcomeText(Outcome outcome);
std::optional<Outcome> OutcomeFromText(QStringView text);
const QList<Outcome>& AllOutcomes();

// One twin (or the whole problem when it has none) as Popeye reports it.
struct PopeyeTwin {
    QString label;         // "a", "b", ... ; empty without twins
    QStringList keys;      // direct play: the key moves ("Rb3-g3"), tries left out
    QStringList solutions; // help and series play: the first move of every solution line
};

// What Popeye wrote for one problem, read from its standard output and error.
struct PopeyeReport {
    enum class End { None, Finished, Interrupted, Partial };
    End end = End::None;
    QList<PopeyeTwin> twins; // at least one
    // The offending item Popeye named, or its first complaint; empty when it had none.
    QString inputError;
    // Popeye's output without its version line, its board and its end line, for the user to
    // read or to take over as the item's solution.
    QString solutionText;

    bool directPlay() const;
    // Keys in direct play, solution lines otherwise, over all twins.
    int solutionCount() const;
    // The first moves, each once, in the order Popeye gave them.
    QStringList firstMoves() const;
};

// Reads one problem's output. Popeye's complaints about its input reach the error stream;
// the same lines met in the output (a run with both streams merged) count as well.
PopeyeReport ParsePopeyeOutput(QStringView out, QStringView err);

// How many solutions each twin should have by the stored solution as the solution model
// reads it: its keys and solution lines, counted per twin when the stored solution names
// twins ("a)", "+c)"); one when there are none; -1 when the stored solution names the twin
// but gives it no line, which says nothing of its count.
// `positions` are the item's twins (BuildTwins), for the stipulation the lines are read by.
int ExpectedSolutions(const QStringList& storedSolution, const QString& twinLabel,
                      const QList<Twin>& positions = {});

// The outcome of a finished run. `killed` is true when the run was ended from outside at its
// deadline; `crashed` when the process ended abnormally.
struct Verdict {
    Outcome outcome = Outcome::Failed;
    QString detail;
    // The search ended at a time limit before it was through: what it found holds, what it
    // did not find may still be there.
    bool interrupted = false;
};
Verdict JudgeReport(const PopeyeReport& report, const QStringList& storedSolution, bool killed,
                    bool crashed, const QList<Twin>& positions = {});

} // namespace vexil
