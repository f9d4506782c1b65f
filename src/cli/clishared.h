#pragma once

// What the commands of the command line share: usage errors, rows in the format asked for,
// the commands' table entries, and the progress bar on a terminal.

#include "model/csv.h"
#include "model/progress.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>
#include <utility>

namespace vexil::cli {

// A usage error: what was wrong, told with the usage line of the command.
struct UsageError {
    QString message;
};

enum class Format { Text, Csv, Json };

// Rows on standard output in the format asked for: text (fields apart by tabs), CSV with a
// header line, or one JSON object per line.
class Rows {
public:
    Rows(QTextStream& out, Format format, QStringList columns)
        : m_out(out), m_format(format), m_columns(std::move(columns))
    {
    }
    void add(const QStringList& fields)
    {
        if (m_format == Format::Json) {
            QJsonObject object;
            // Counts and times are numbers for whoever reads the lines; texts stay texts.
            static const QStringList numeric{
                QStringLiteral("items"),   QStringLiteral("number"), QStringLiteral("solutions"),
                QStringLiteral("seconds"), QStringLiteral("group"),  QStringLiteral("compared")};
            for (qsizetype i = 0; i < m_columns.size(); ++i) {
                bool isNumber = false;
                const double value = fields.value(i).toDouble(&isNumber);
                if (isNumber && numeric.contains(m_columns[i]))
                    object.insert(m_columns[i], value);
                else
                    object.insert(m_columns[i], fields.value(i));
            }
            m_out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else if (m_format == Format::Csv) {
            if (!m_headed)
                m_out << CsvLine(m_columns) << '\n';
            m_out << CsvLine(fields) << '\n';
        } else {
            QStringList flat;
            for (const QString& field : fields)
                flat << QString(field)
                            .replace(QLatin1Char('\t'), QLatin1Char(' '))
                            .replace(QLatin1Char('\n'), QLatin1Char(' '));
            m_out << flat.join(QLatin1Char('\t')) << '\n';
        }
        m_headed = true;
        m_out.flush();
    }

private:
    QTextStream& m_out;
    Format m_format;
    QStringList m_columns;
    bool m_headed = false;
};

struct Command {
    QString name;
    QString usage;   // the arguments after the command's name
    QString summary; // one line
    std::function<void(QCommandLineParser&)> options;
    std::function<int(QCommandLineParser&, Rows*, QTextStream& out, QTextStream& err)> run;
    QStringList columns;
};

struct Context {
    QTextStream& out;
    QTextStream& err;
    bool progress;
};

// "A-B" (or "A") as the inclusive numbers A to B; none for anything else.
std::optional<std::pair<int, int>> parseRange(const QString& text);
int positiveNumber(const QCommandLineParser& parser, const QString& name, int fallback,
                   int maximum);
// A bar drawn over itself on a terminal.
void drawProgress(QTextStream& err, qint64 done, qint64 total, const QString& text = {});
Progress progressOn(const Context& context);
void endProgress(const Context& context);

// The verification commands (cliverify.cpp).
int verify(const Context& context, Rows& rows, QCommandLineParser& parser, const QString& file);
int verifyMerge(Rows& rows, const QString& file, const QStringList& inputs);

} // namespace vexil::cli
