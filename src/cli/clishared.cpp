#include "cli/clishared.h"

#include <QRegularExpression>

namespace vexil::cli {

std::optional<std::pair<int, int>> parseRange(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})(?:-(\\d{1,9}))?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int from = match.captured(1).toInt();
    const int to = match.hasCaptured(2) ? match.captured(2).toInt() : from;
    if (from < 1 || to < from)
        return std::nullopt;
    return std::pair{from, to};
}

int positiveNumber(const QCommandLineParser& parser, const QString& name, int fallback, int maximum)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 1 || value > maximum)
        throw UsageError{QStringLiteral("--%1 wants a number from 1 to %2, not \"%3\"")
                             .arg(name)
                             .arg(maximum)
                             .arg(parser.value(name))};
    return value;
}

void drawProgress(QTextStream& err, qint64 done, qint64 total, const QString& text)
{
    constexpr int kWidth = 30;
    const int filled = total > 0 ? int(kWidth * done / total) : 0;
    err << '\r' << '[' << QString(filled, QLatin1Char('#')) << QString(kWidth - filled, u' ')
        << "] " << (text.isEmpty() ? QStringLiteral("%1/%2").arg(done).arg(total) : text)
        << "\x1b[K";
    err.flush();
}

Progress progressOn(const Context& context)
{
    if (!context.progress)
        return {};
    return [&err = context.err](qint64 done, qint64 total) { drawProgress(err, done, total); };
}

void endProgress(const Context& context)
{
    // The bar and the rows may share one terminal: the line is cleared before a row comes.
    if (context.progress) {
        context.err << '\r' << "\x1b[K";
        context.err.flush();
    }
}

} // namespace vexil::cli
