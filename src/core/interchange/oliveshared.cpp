#include "interchange/oliveshared.h"

namespace vexil::olive {

bool isSolvingOption(QStringView option)
{
    static const char* const words[] = {
        "Try",          "Defence",           "SetPlay",         "NullMoves",
        "Variation",    "MoveNumbers",       "StartMoveNumber", "NoWk",
        "NoBk",         "NoThreat",          "MaxSolutions",    "MaxFlightsquares",
        "NoBoard",      "NoShortVariations", "PostKeyPlay",     "NonTrivial",
        "Intelligent",  "MaxTime",           "Quodlibet",       "StopOnShortSolutions",
        "Beep",         "SuppressGrid",      "WriteGrid",       "KeepMatingPiece",
        "LastCapture",  "GoalIsEnd",         "Threat",          "Series",
        "AutoStalemate"};
    const QStringView first = option.trimmed().split(QLatin1Char(' ')).value(0);
    for (const char* w : words)
        if (first.compare(QLatin1String(w), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString shortened(const QString& text)
{
    if (text.size() <= InterchangeReport::kMaxQuoted)
        return text;
    return text.first(InterchangeReport::kMaxQuoted) +
           QStringLiteral("... (%1 characters)").arg(text.size());
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + shortened(text) + QLatin1Char('"');
}

} // namespace vexil::olive
