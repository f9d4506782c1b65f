#include "interchange/olive.h"

#include "interchange/oliveshared.h"
#include "interchange/piecenames.h"
#include "interchange/yamlguard.h"
#include "model/cp1252.h"
#include "model/failure.h"
#include "model/fairytext.h"
#include "model/piece.h"
#include "model/square.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string_view>

namespace vexil {

using namespace olive;

namespace {

// Reading: one entry (a YAML map) into an item.

struct EntryReading {
    Item item;
    QStringList notes;
    // The source line is put together once all its fields are known.
    std::optional<QString> sourceName, sourceIssue, sourceDate, distinction, tourney;
    bool hasAward = false;
    std::optional<QString> plainSource, commentSource, commentAuthors;
    bool hasAuthors = false;
    bool hasBoard = false;
    int moreNotes = 0; // beyond what a report keeps
    // What the item has no field for, each as a line "Name: text" at the end of the solution,
    // where the .olv writer finds it again.
    QStringList keptLines;

    void keep(const QString& line, const QString& what)
    {
        keptLines << line;
        note(QStringLiteral("%1 kept at the end of the solution").arg(what));
    }

    void note(const QString& text)
    {
        if (notes.size() < InterchangeReport::kMaxNotes)
            notes << text;
        else
            ++moreNotes;
    }
};

QString scalarText(const YAML::Node& node)
{
    return QString::fromStdString(node.Scalar());
}

// A scalar as text; any other node is reported and gives nothing.
std::optional<QString> textOf(const YAML::Node& node, const QString& field, EntryReading& r)
{
    if (node.IsScalar())
        return scalarText(node);
    if (node.IsNull())
        return QString();
    r.note(field + QStringLiteral(": not a text"));
    return std::nullopt;
}

// Lists of texts; a single text reads as a list of one.
QStringList textsOf(const YAML::Node& node, const QString& field, EntryReading& r)
{
    QStringList out;
    if (node.IsSequence()) {
        for (const YAML::Node& element : node)
            if (auto t = textOf(element, field, r))
                out << *t;
    } else if (auto t = textOf(node, field, r); t && !t->isEmpty()) {
        out << *t;
    }
    return out;
}

void readAuthors(const YAML::Node& node, EntryReading& r)
{
    const QStringList names = textsOf(node, QStringLiteral("authors"), r);
    r.item.author = names.join(QStringView(kAuthorSeparator));
    r.hasAuthors = !names.isEmpty();
}

QString dateText(const YAML::Node& node, EntryReading& r)
{
    if (node.IsScalar())
        return scalarText(node);
    if (!node.IsMap()) {
        r.note(QStringLiteral("source: the date is not a date"));
        return {};
    }
    QString text;
    const QString year =
        node["year"] && node["year"].IsScalar() ? scalarText(node["year"]) : QString();
    const QString month =
        node["month"] && node["month"].IsScalar() ? scalarText(node["month"]) : QString();
    const QString day = node["day"] && node["day"].IsScalar() ? scalarText(node["day"]) : QString();
    text = year;
    if (!month.isEmpty())
        text += QLatin1Char('-') + month.rightJustified(2, QLatin1Char('0'));
    if (!day.isEmpty())
        text += QLatin1Char('-') + day.rightJustified(2, QLatin1Char('0'));
    for (const auto& element : node) {
        const QString key = QString::fromStdString(element.first.as<std::string>(""));
        if (key != QLatin1String("year") && key != QLatin1String("month") &&
            key != QLatin1String("day"))
            r.note(
                QStringLiteral("source: date field %1 has no place in an item").arg(quoted(key)));
    }
    return text;
}

void readSource(const YAML::Node& node, EntryReading& r)
{
    if (node.IsScalar()) { // the older layout: the source as one text
        r.plainSource = scalarText(node);
        return;
    }
    if (!node.IsMap()) {
        if (!node.IsNull())
            r.note(QStringLiteral("source: neither a text nor a source"));
        return;
    }
    for (const auto& element : node) {
        const QString key = QString::fromStdString(element.first.as<std::string>(""));
        const YAML::Node& value = element.second;
        if (key == QLatin1String("name"))
            r.sourceName = textOf(value, QStringLiteral("source name"), r);
        else if (key == QLatin1String("issue"))
            r.sourceIssue = textOf(value, QStringLiteral("source issue"), r);
        else if (key == QLatin1String("date"))
            r.sourceDate = dateText(value, r);
        else
            r.keep(QStringLiteral("Source %1: %2")
                       .arg(key, value.IsScalar() ? scalarText(value) : QString()),
                   QStringLiteral("source: %1 %2")
                       .arg(key, value.IsScalar() ? quoted(scalarText(value)) : QString())
                       .trimmed());
    }
}

void readAward(const YAML::Node& node, EntryReading& r)
{
    if (!node.IsMap()) {
        r.note(QStringLiteral("award: not an award"));
        return;
    }
    r.hasAward = true;
    if (const YAML::Node d = node["distinction"]; d && d.IsScalar())
        r.distinction = scalarText(d);
    if (const YAML::Node t = node["tourney"]; t && t.IsMap()) {
        if (t["name"] && t["name"].IsScalar())
            r.tourney = scalarText(t["name"]);
        if (const YAML::Node d = t["date"])
            r.keep(QStringLiteral("Tourney date: ") + dateText(d, r),
                   QStringLiteral("award: the tourney date"));
    }
    if (const YAML::Node j = node["judges"]; j) {
        const QString judges = textsOf(j, QStringLiteral("judges"), r).join(QStringLiteral("; "));
        r.keep(QStringLiteral("Judges: ") + judges, QStringLiteral("award: judges ") + judges);
    }
}

void readStipulation(const YAML::Node& node, EntryReading& r)
{
    const QString text = textOf(node, QStringLiteral("stipulation"), r).value_or(QString());
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    r.item.stipulation = words.value(0);
    if (words.size() > 1)
        r.note(QStringLiteral("stipulation: the words after %1 (%2) have no place in an item")
                   .arg(quoted(words[0]), words.mid(1).join(QLatin1Char(' '))));
}

void readPieces(const YAML::Node& node, names::Side side, const QString& sideWord, EntryReading& r)
{
    for (const QString& declaration : textsOf(node, QStringLiteral("algebraic"), r)) {
        const QStringList words = declaration.simplified().split(QLatin1Char(' '));
        QString walk;
        QList<names::Square> squares;
        if (!names::ParsePieceToken(words.last(), walk, squares)) {
            r.note(QStringLiteral("board: %1 %2 is no piece").arg(sideWord, quoted(declaration)));
            continue;
        }
        int specification = 0;
        for (const QString& word : words.first(words.size() - 1)) {
            const int s = names::SpecificationOfWord(word);
            if (s == 0)
                r.note(QStringLiteral("board: specification %1 of %2 is not one of the rows")
                           .arg(quoted(word), quoted(declaration)));
            else if (specification != 0)
                r.note(QStringLiteral("board: second specification %1 of %2 left out")
                           .arg(quoted(word), quoted(declaration)));
            else
                specification = s;
        }
        const int kind = names::KindOfWalk(walk);
        if (kind == 0) {
            r.note(QStringLiteral("board: walk %1 of %2 %3 has no FairyKinds row")
                       .arg(quoted(walk), sideWord, quoted(declaration)));
            continue;
        }
        const PieceCode code = names::CodeOf(side, kind, specification);
        for (const names::Square& s : squares) {
            PieceCode& square = r.item.board.at(s.row, s.column);
            if (square != 0)
                r.note(QStringLiteral("board: two pieces on %1; %2 kept")
                           .arg(s.name(), quoted(declaration)));
            square = code;
        }
    }
}

void readAlgebraic(const YAML::Node& node, EntryReading& r)
{
    if (!node.IsMap()) {
        r.note(QStringLiteral("board: algebraic is not a board"));
        return;
    }
    r.hasBoard = true;
    for (const auto& element : node) {
        const QString key = QString::fromStdString(element.first.as<std::string>(""));
        if (key == QLatin1String("white"))
            readPieces(element.second, names::Side::White, key, r);
        else if (key == QLatin1String("black"))
            readPieces(element.second, names::Side::Black, key, r);
        else if (key == QLatin1String("neutral"))
            readPieces(element.second, names::Side::Neutral, key, r);
        else
            r.note(QStringLiteral("board: %1 pieces have no place in an item").arg(quoted(key)));
    }
}

void readOptions(const YAML::Node& node, EntryReading& r)
{
    QStringList conditions, solving;
    for (const QString& option : textsOf(node, QStringLiteral("options"), r)) {
        if (isSolvingOption(option))
            solving << option;
        else
            conditions << option;
    }
    r.item.condition = conditions.join(QLatin1Char(' '));
    if (!solving.isEmpty())
        r.keep(kOptionsLine + solving.join(QStringLiteral(", ")),
               QStringLiteral("options: solving options %1").arg(quoted(solving.join(", "))));
}

// Twin keys in order: "a" to "z", then "z1", "z2", ...; anything else after them.
bool twinKeyBefore(const QString& a, const QString& b)
{
    auto rank = [](const QString& key) -> std::pair<int, qint64> {
        static const QRegularExpression numbered(QStringLiteral("^z([0-9]{1,9})$"));
        if (key.size() == 1 && key[0] >= QLatin1Char('a') && key[0] <= QLatin1Char('z'))
            return {0, key[0].unicode()};
        if (const auto m = numbered.match(key); m.hasMatch())
            return {1, m.captured(1).toLongLong()};
        return {2, 0};
    };
    const auto ra = rank(a), rb = rank(b);
    if (ra != rb)
        return ra < rb;
    return a < b;
}

void readTwins(const YAML::Node& node, EntryReading& r)
{
    if (!node.IsMap()) {
        r.note(QStringLiteral("twins: not a list of twins"));
        return;
    }
    QList<std::pair<QString, QString>> twins;
    for (const auto& element : node) {
        const QString key = QString::fromStdString(element.first.as<std::string>(""));
        if (auto text = textOf(element.second, QStringLiteral("twins"), r))
            twins.append({key, *text});
    }
    std::stable_sort(twins.begin(), twins.end(),
                     [](const auto& x, const auto& y) { return twinKeyBefore(x.first, y.first); });
    const QString continued = QStringLiteral("Continued ");
    for (const auto& [key, text] : twins) {
        if (key == QLatin1String("a"))
            r.item.twins << QStringLiteral("Zero ") + text;
        else if (text.startsWith(continued))
            r.item.twins << QStringLiteral("Twin Cont ") + text.mid(continued.size());
        else
            r.item.twins << QStringLiteral("Twin ") + text;
    }
}

void readSolution(const YAML::Node& node, EntryReading& r)
{
    QString text = textOf(node, QStringLiteral("solution"), r).value_or(QString());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // A block scalar ends in one line break that is no part of the solution.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    r.item.solution = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void readComments(const YAML::Node& node, EntryReading& r)
{
    for (const QString& comment : textsOf(node, QStringLiteral("comments"), r)) {
        if (comment.startsWith(kSourceComment) && !r.commentSource)
            r.commentSource = comment.mid(kSourceComment.size());
        else if (comment.startsWith(kAuthorsComment) && !r.commentAuthors)
            r.commentAuthors = comment.mid(kAuthorsComment.size());
        else
            r.keep(kCommentLine + comment, QStringLiteral("comment %1").arg(quoted(comment)));
    }
}

// The entry fields an item holds, with their readers; every other field is reported.
struct FieldReader {
    const char* key;
    void (*read)(const YAML::Node&, EntryReading&);
};
const FieldReader kFieldReaders[] = {
    {"authors", readAuthors},     {"source", readSource},
    {"award", readAward},         {"stipulation", readStipulation},
    {"algebraic", readAlgebraic}, {"options", readOptions},
    {"twins", readTwins},         {"solution", readSolution},
    {"comments", readComments},
};

QString composedSource(const EntryReading& r)
{
    QString line;
    if (r.plainSource) {
        line = *r.plainSource;
    } else if (r.sourceName || r.sourceIssue || r.sourceDate) {
        QStringList parts;
        for (const auto& part : {r.sourceName, r.sourceIssue, r.sourceDate})
            if (part && !part->isEmpty())
                parts << *part;
        line = parts.join(QLatin1Char(' '));
    } else if (r.commentSource) {
        line = *r.commentSource;
    }
    // The award after the source: its distinction, and the tourney when it is not the source.
    QStringList award;
    if (r.distinction && !r.distinction->isEmpty())
        award << *r.distinction;
    if (r.tourney && !r.tourney->isEmpty() && r.tourney != r.sourceName)
        award << *r.tourney;
    if (!award.isEmpty())
        line +=
            (line.isEmpty() ? QString() : QStringLiteral(", ")) + award.join(QStringLiteral(", "));
    return line;
}

QString describeValue(const YAML::Node& node)
{
    if (node.IsScalar())
        return quoted(scalarText(node));
    if (node.IsSequence()) {
        QString texts;
        for (const YAML::Node& element : node) {
            if (texts.size() > InterchangeReport::kMaxQuoted) {
                texts += QStringLiteral(", ... (%1 in all)").arg(node.size());
                break;
            }
            if (!texts.isEmpty())
                texts += QStringLiteral(", ");
            texts += element.IsScalar() ? shortened(scalarText(element)) : QStringLiteral("...");
        }
        return texts;
    }
    return {};
}

EntryReading readEntry(const YAML::Node& entry)
{
    EntryReading r;
    for (const auto& element : entry) {
        const std::string key = element.first.IsScalar() ? element.first.Scalar() : std::string();
        const FieldReader* reader = nullptr;
        for (const FieldReader& f : kFieldReaders)
            if (key == f.key)
                reader = &f;
        if (reader) {
            reader->read(element.second, r);
        } else if (key == "keywords") {
            const QStringList words = textsOf(element.second, QStringLiteral("keywords"), r);
            r.keep(kKeywordsLine + words.join(QStringLiteral(", ")),
                   QStringLiteral("keywords %1").arg(describeValue(element.second)));
        } else {
            const QString name = QString::fromStdString(key);
            const QString value = describeValue(element.second);
            r.keep(name.left(1).toUpper() + name.mid(1) + QStringLiteral(": ") +
                       (element.second.IsScalar() ? scalarText(element.second) : value),
                   QStringLiteral("%1 %2").arg(name, value).trimmed());
        }
    }
    r.item.solution += r.keptLines;
    r.item.source = composedSource(r);
    if (!r.hasAuthors && r.commentAuthors)
        r.item.author = *r.commentAuthors;
    else if (r.commentAuthors)
        r.note(QStringLiteral("comment %1 has no place in an item")
                   .arg(quoted(kAuthorsComment + *r.commentAuthors)));
    if (r.commentSource && (r.plainSource || r.sourceName || r.sourceIssue || r.sourceDate))
        r.note(QStringLiteral("comment %1 has no place in an item")
                   .arg(quoted(kSourceComment + *r.commentSource)));
    if (!r.hasBoard)
        r.note(QStringLiteral("board: the entry has no board (algebraic); the board is empty"));
    return r;
}

// Olive files should be UTF-8; one written in Windows-1252 is read as such rather than
// turning every accented letter into a replacement character.
std::string utf8Of(QByteArrayView bytes, InterchangeReport& report)
{
    // Checked a piece at a time, each ending before a character's first byte: a decoded copy
    // of a large file would be twice its size.
    constexpr qsizetype kPiece = 1 << 20;
    bool utf8 = true;
    for (qsizetype at = 0; at < bytes.size() && utf8;) {
        qsizetype end = qMin(at + kPiece, bytes.size());
        for (int back = 0; back < 3 && end < bytes.size() && (uchar(bytes[end]) & 0xC0) == 0x80;
             ++back)
            --end;
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString piece = decoder(bytes.sliced(at, end - at));
        utf8 = !decoder.hasError();
        at = end;
    }
    if (utf8)
        return std::string(bytes.data(), size_t(bytes.size()));
    report.addGeneral(QStringLiteral("The file is not UTF-8; it was read as Windows-1252."));
    return cp1252::decode(bytes).toStdString();
}

void readDocument(const YAML::Node& document, int index, ImportedItems& result)
{
    const QString label = QStringLiteral("entry %1").arg(index);
    if (!document.IsMap()) {
        result.report.add(index, label,
                          document.IsNull() ? QStringLiteral("empty entry skipped")
                                            : QStringLiteral("not a YACPDB entry; skipped"));
        return;
    }
    try {
        EntryReading r = readEntry(document);
        for (const QString& note : r.notes)
            result.report.add(index, label, note);
        result.report.countDropped(r.moreNotes);
        result.items.append(std::move(r.item));
        result.entries.append(index);
    } catch (const YAML::Exception& e) {
        result.report.add(
            index, label,
            QStringLiteral("unreadable entry skipped: %1").arg(QString::fromStdString(e.msg)));
    }
}

} // namespace

qint64 ImportMemoryLimit(qint64 fileSize)
{
    return 8 * fileSize + 100 * 1024 * 1024;
}

ImportedItems ReadOlive(QByteArrayView bytes, const Progress& progress)
{
    ImportedItems result;
    const std::string text = utf8Of(bytes, result.report);
    // YAML has no place for control characters, and its parser may lose its way on them.
    int line = 0;
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text[i];
        if (c == '\n') {
            ++line;
            lineStart = i + 1;
        } else if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F) {
            throw Failure::error(QStringLiteral("The file is no valid YAML: line %1, column %2: "
                                                "a control character")
                                     .arg(line + 1)
                                     .arg(i - lineStart + 1));
        }
    }
    int index = 0;
    // One document at a time: a stream of thousands of entries is never held as nodes all at
    // once, which keeps the reading close to the speed of the YAML parser itself.
    const qint64 memoryLimit = ImportMemoryLimit(bytes.size());
    for (const DocumentText& document : documentsOf(text)) {
        ReportProgress(progress, qint64(document.begin), qint64(text.size()));
        std::vector<YAML::Node> nodes;
        const std::string_view part =
            std::string_view(text).substr(document.begin, document.end - document.begin);
        if (const auto comma = strayComma(part))
            throw Failure::error(QStringLiteral("The file is no valid YAML: line %1, column %2: "
                                                "a comma outside a list")
                                     .arg(document.firstLine + comma->first + 1)
                                     .arg(comma->second + 1));
        try {
            // The file's text is held twice while a document is read: the file and its text.
            const quint64 held = 2 * quint64(bytes.size());
            if (mayRepeatOrSwell(part, quint64(memoryLimit) - qMin(quint64(memoryLimit), held))) {
                if (held + builtBytes(part) > quint64(memoryLimit))
                    throw Failure::error(
                        QStringLiteral("The file is too large to import: entry %1 (from line "
                                       "%2) alone would need more than %3 MB of memory. "
                                       "Nothing was imported.")
                            .arg(index + 1)
                            .arg(document.firstLine + 1)
                            .arg(memoryLimit / (1024 * 1024)));
            }
            ViewStream buffer(part);
            std::istream stream(&buffer);
            nodes = YAML::LoadAll(stream);
        } catch (const TooManyAliases&) {
            throw Failure::error(
                QStringLiteral("The file repeats its anchored parts (YAML aliases \"*\") too "
                               "often: entry %1 (from line %2) would grow to more than %3 MB. "
                               "Nothing was imported.")
                    .arg(index + 1)
                    .arg(document.firstLine + 1)
                    .arg(kAliasBudget / (1024 * 1024)));
        } catch (const YAML::Exception& e) {
            throw Failure::error(QStringLiteral("The file is no valid YAML: line %1, column %2: %3")
                                     .arg(document.firstLine + e.mark.line + 1)
                                     .arg(e.mark.column + 1)
                                     .arg(QString::fromStdString(e.msg)));
        }
        if (nodes.empty() && document.opened)
            nodes.emplace_back();
        for (const YAML::Node& node : nodes)
            readDocument(node, ++index, result);
    }
    return result;
}

} // namespace vexil
