#include "solve/solvevocabulary.h"

namespace vexil {

const QStringList& PopeyeMemoryChoices()
{
    static const QStringList list = {"4M",   "8M",   "12M",  "16M",   "32M",  "64M",
                                     "128M", "256M", "512M", "1024M", "2048M"};
    return list;
}

const QStringList& HashMemoryChoices()
{
    static const QStringList list = {"32", "64", "96", "128", "192", "256", "512", "1024", "2048"};
    return list;
}

const QStringList& ThreadChoices()
{
    static const QStringList list = [] {
        QStringList l;
        for (int i = 1; i <= 16; ++i)
            l << QString::number(i);
        return l;
    }();
    return list;
}

const QStringList& TimeLimitChoices()
{
    static const QStringList list = {"1",  "3",  "5",   "10",  "15", "20",
                                     "30", "60", "120", "180", "240"};
    return list;
}

const QStringList& PopeyeOptionChoices()
{
    static const QStringList list = {"",
                                     "Beep",
                                     "Duplex",
                                     "EnPassant",
                                     "HalfDuplex",
                                     "Intelligent",
                                     "KeepMatingPiece",
                                     "MaxFlightsquares",
                                     "MaxTime",
                                     "MoveNumbers",
                                     "NoBk",
                                     "NoCastling",
                                     "NonTrivial",
                                     "NoShortVariations",
                                     "Quodlibet",
                                     "StartMoveNumber",
                                     "StopOnShortSolutions",
                                     "SuppressGrid",
                                     "WhiteToPlay",
                                     "WriteGrid"};
    return list;
}

} // namespace vexil
