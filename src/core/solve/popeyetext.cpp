#include "solve/popeyetext.h"

#include "model/fairytext.h"
#include "model/piecename.h"
#include "model/square.h"
#include "solution/twins.h"

#include <QRegularExpression>

namespace vexil {

namespace {

QString sideWord(const Piece& piece)
{
    if (piece.isNeutral())
        return QStringLiteral("Neutral");
    return piece.isWhite() ? QStringLiteral("White") : QStringLiteral("Black");
}

// A stored text with a line break in it would end the keyword's line early and turn the rest
// into keywords of its own; Popeye sees one line, as the collection stores it.
QString oneLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QString takeWord(QString& condition, QLatin1String word)
{
    const qsizetype at = condition.indexOf(word);
    if (at < 0)
        return {};
    condition.remove(at, word.size());
    return QStringLiteral(" ") + word;
}

// An option word and the squares after it ("EnPassant f6", "NoCastling a1 e1"), taken out of
// the condition.
QString takeOption(QString& condition, QLatin1String word)
{
    static const QRegularExpression square(QStringLiteral("^\\s+([a-h][1-8])+\\b"));
    const QRegularExpression whole(QStringLiteral("\\b%1\\b").arg(word),
                                   QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch found = whole.match(condition);
    if (!found.hasMatch())
        return {};
    qsizetype end = found.capturedEnd();
    QString taken = QLatin1Char(' ') + word;
    for (QRegularExpressionMatch m; (m = square.match(QStringView(condition).mid(end))).hasMatch();
         end += m.capturedLength())
        taken += QLatin1Char(' ') + m.captured(1);
    condition.remove(found.capturedStart(), end - found.capturedStart());
    return taken;
}

// Popeye reads a keyword from its first letters; "pro" alone is not taken for "Protocol".
constexpr qsizetype kShortestKeyword = 4;

bool isFileKeyword(QStringView word)
{
    static const QLatin1String protocol("protocol");
    return word.size() >= kShortestKeyword && word.size() <= protocol.size() &&
           word.compare(QLatin1String(protocol.data(), word.size()), Qt::CaseInsensitive) == 0;
}

// Popeye parts words at blanks and at punctuation too; a run of letters is the smallest
// thing it can take for a keyword, so that is what is checked.
std::optional<QString> fileKeywordIn(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isLetter()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end].isLetter())
            ++end;
        if (isFileKeyword(text.mid(i, end - i)))
            return text.mid(i, end - i).toString();
        i = end;
    }
    return std::nullopt;
}

// Popeye reads the rest of these lines as text, keywords and all.
bool isTextLine(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    for (QLatin1String keyword : {QLatin1String("Author"), QLatin1String("Origin")}) {
        if (trimmed.size() >= keyword.size() &&
            trimmed.left(keyword.size()).compare(keyword, Qt::CaseInsensitive) == 0 &&
            (trimmed.size() == keyword.size() || trimmed[keyword.size()].isSpace()))
            return true;
    }
    return false;
}

} // namespace

std::optional<QString> TwinCommandOf(const QString& line)
{
    static const QRegularExpression heading(QStringLiteral("^(\\+?)([a-z]{1,2})\\)(?:\\s+|$)"));
    QString rest = line.trimmed();
    bool cont = false;
    bool labelled = false;
    if (const QRegularExpressionMatch match = heading.match(rest); match.hasMatch()) {
        cont = !match.captured(1).isEmpty();
        labelled = true;
        rest = rest.mid(match.capturedLength()).trimmed();
    }
    if (rest.isEmpty())
        return labelled && !cont ? std::optional<QString>(QString()) : std::nullopt;
    QStringList command{QStringLiteral("Twin")};
    if (cont)
        command << QStringLiteral("Cont");
    const std::optional<QStringList> changes =
        PrintedTwinChanges(rest.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    if (!changes)
        return std::nullopt;
    return (command << *changes).join(QLatin1Char(' '));
}

std::optional<PopeyeFileWord> FindPopeyeFileWord(const QStringList& lines,
                                                 const QString& ownProtocol)
{
    bool ownSeen = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isTextLine(lines[i]))
            continue;
        if (!ownSeen && !ownProtocol.isEmpty() && lines[i] == ownProtocol) {
            ownSeen = true;
            continue;
        }
        if (const auto word = fileKeywordIn(lines[i]))
            return PopeyeFileWord{QString(), int(i + 1), *word};
    }
    return std::nullopt;
}

QString PopeyeFileWordMessage(const QString& item, const PopeyeFileWord& found)
{
    return QStringLiteral("%1 is not given to Popeye: its %2 holds the word \"%3\", which "
                          "Popeye takes as an order to write its output into a file.")
        .arg(item, found.field, found.word);
}

QString PopeyeFileWordLineMessage(const PopeyeFileWord& found)
{
    return QStringLiteral("Line %1 holds the word \"%2\", which Popeye takes as an order to "
                          "write its output into a file: remove it before solving.")
        .arg(found.line)
        .arg(found.word);
}

QString PopeyeProtocolLine(const QString& programFolder)
{
    return QStringLiteral("Protocol ") + programFolder + QStringLiteral("py.txt");
}

QString PopeyeSpecificationWord(int specification)
{
    // Popeye takes "proten" and "beamtet" for input errors, and with them every piece after
    // them on the line.
    if (specification == 7)
        return QStringLiteral("functionary");
    if (specification == 11)
        return QStringLiteral("protean");
    return SpecificationName(specification);
}

PopeyeInput BuildPopeyeInput(const Item& item, const PopeyeOptions& options,
                             const QString& programFolder)
{
    PopeyeInput input;
    QStringList& lines = input.lines;
    const QString author = oneLine(item.author);
    const QString source = oneLine(item.source);
    lines << QStringLiteral("BeginProblem");
    lines << QStringLiteral("Author ") + (author.isEmpty() ? QStringLiteral("Unknown") : author);
    lines << QStringLiteral("Origin ") + (source.isEmpty() ? QStringLiteral("Unknown") : source);
    lines << PopeyeProtocolLine(programFolder);
    lines << QStringLiteral("Pieces");

    QString collected[3] = {QStringLiteral("White"), QStringLiteral("Black"),
                            QStringLiteral("Neutral")};
    bool used[3] = {false, false, false};
    QStringList unnamed;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const Piece piece(item.board.at(r, c));
            if (!piece.isPiece())
                continue;
            const QString square = Square{r, c}.name();
            QString name = PieceName(piece);
            const int specification = piece.specification();
            const bool known = !name.isEmpty() && specification < piece::kSpecificationCount;
            if (!known) {
                // A code the editor never makes: Popeye names it in an input error of its
                // own line, and the pieces it shares no line with are still solved.
                unnamed << sideWord(piece) + QStringLiteral(" ?") + square;
                continue;
            }
            if (specification > 0) {
                lines << sideWord(piece) + QLatin1Char(' ') +
                             PopeyeSpecificationWord(specification) + QLatin1Char(' ') + name +
                             square;
                continue;
            }
            const int side = piece.isNeutral() ? 2 : piece.isWhite() ? 0 : 1;
            collected[side] += QLatin1Char(' ') + name + square;
            used[side] = true;
        }
    for (int side = 0; side < 3; ++side)
        if (used[side])
            lines << collected[side];
    lines << unnamed;

    // Which item field each line comes from, for the check of the words Popeye must not read.
    QList<std::pair<qsizetype, QString>> fieldLines;
    fieldLines.append({lines.size(), QStringLiteral("stipulation")});
    lines << QStringLiteral("Stipulation ") + oneLine(item.stipulation);

    QString words;
    if (!item.condition.isEmpty()) {
        QString condition = oneLine(item.condition);
        words += takeWord(condition, QLatin1String("Duplex"));
        words += takeWord(condition, QLatin1String("WhiteToPlay"));
        // Options that say what the position is, kept with the condition of an imported
        // entry: Popeye reads them on its Option line, with their squares.
        for (const char* option :
             {"EnPassant", "NoCastling", "HalfDuplex", "CastlingMutuallyExclusive"})
            words += takeOption(condition, QLatin1String(option));
        // Popeye reads a bare "Condition" keyword as an input error.
        if (!condition.trimmed().isEmpty()) {
            // Checked as written: taking "Duplex" out of a word can leave another one.
            fieldLines.append({lines.size(), QStringLiteral("condition")});
            lines << QStringLiteral("Condition ") + condition;
        }
    }
    if (options.Try)
        words += QStringLiteral(" Try");
    if (options.Set)
        words += QStringLiteral(" Set");
    if (options.Variation)
        words += QStringLiteral(" Variation");
    if (options.Defence > 1)
        words += QStringLiteral(" Defence ") + QString::number(options.Defence);
    if (options.MaxSolutions > 0)
        words += QStringLiteral(" MaxSolutions ") + QString::number(options.MaxSolutions);
    if (options.NoThreat)
        words += QStringLiteral(" NoThreat");
    if (options.PostKeyPlay)
        words += QStringLiteral(" PostKeyPlay");
    if (options.NoWk)
        words += QStringLiteral(" NoWk");
    if (!options.Option.isEmpty())
        words += QLatin1Char(' ') + options.Option;
    lines << QStringLiteral("Option") + words + QStringLiteral(" NoBoard");

    for (const QString& twin : item.twins) {
        if (twin.contains(QLatin1String("AfterKey"))) {
            input.refusedTwins << twin;
            continue;
        }
        if (const std::optional<QString> command = TwinCommandOf(twin)) {
            input.rewrittenTwins << twin;
            if (!command->isEmpty()) {
                fieldLines.append({lines.size(), QStringLiteral("twins")});
                lines << *command;
            }
            continue;
        }
        fieldLines.append({lines.size(), QStringLiteral("twins")});
        lines << twin;
    }
    lines << QStringLiteral("EndProblem");
    for (const auto& [at, field] : fieldLines) {
        if (const auto found = FindPopeyeFileWord({lines[at]})) {
            input.fileWord = PopeyeFileWord{field, int(at + 1), found->word};
            break;
        }
    }
    return input;
}

std::optional<QString> PopeyeLineTooLong(const QStringList& lines)
{
    static const QLatin1String keywords[] = {QLatin1String("Author"), QLatin1String("Origin"),
                                             QLatin1String("Protocol")};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const qsizetype start = line.indexOf(QRegularExpression(QStringLiteral("\\S")));
        if (start < 0)
            continue;
        for (QLatin1String keyword : keywords) {
            if (QStringView(line)
                    .mid(start, keyword.size())
                    .compare(keyword, Qt::CaseInsensitive) != 0)
                continue;
            const qsizetype after = start + keyword.size();
            if (after < line.size() && !line[after].isSpace())
                continue;
            // Popeye skips the blanks after the keyword and keeps the rest of the line.
            qsizetype text = after;
            while (text < line.size() && line[text].isSpace())
                ++text;
            if (line.size() - text < kPopeyeLineTextLimit)
                continue;
            return QStringLiteral("Line %1 (\"%2\") is too long for Popeye: the text after "
                                  "\"%2\" must be shorter than %3 characters.")
                .arg(i + 1)
                .arg(keyword)
                .arg(kPopeyeLineTextLimit);
        }
    }
    return std::nullopt;
}

QStringList PopeyeArguments(const QString& memory)
{
    return {QStringLiteral("-maxmem"), memory, QStringLiteral("py.in")};
}

} // namespace vexil
