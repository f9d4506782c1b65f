#include "interchange/olive.h"

#include "interchange/piecenames.h"
#include "model/cp1252.h"
#include "model/failure.h"
#include "model/fairytext.h"
#include "model/piece.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string_view>

namespace vexil {
namespace {

const QString kSourceComment = QStringLiteral("Source: ");
const QString kAuthorsComment = QStringLiteral("Authors: ");
// Lines at the end of an item's solution that hold entry fields the item has no place for.
const QString kCommentLine = QStringLiteral("Comment: ");
const QString kKeywordsLine = QStringLiteral("Keywords: ");
const QString kOptionsLine = QStringLiteral("Options: ");

// Popeye's option words that steer the solving rather than state the problem. YACPDB keeps them
// among the conditions in `options`; an item keeps them at the end of its solution. Options that
// change what the position means (EnPassant, NoCastling, HalfDuplex, ...) are no solving
// options: they stay with the condition, from where the Popeye text takes them.
bool isSolvingOption(QStringView option) {
    static const char* const words[] = {"Try",
                                        "Defence",
                                        "SetPlay",
                                        "NullMoves",
                                        "Variation",
                                        "MoveNumbers",
                                        "StartMoveNumber",
                                        "NoWk",
                                        "NoBk",
                                        "NoThreat",
                                        "MaxSolutions",
                                        "MaxFlightsquares",
                                        "NoBoard",
                                        "NoShortVariations",
                                        "PostKeyPlay",
                                        "NonTrivial",
                                        "Intelligent",
                                        "MaxTime",
                                        "Quodlibet",
                                        "StopOnShortSolutions",
                                        "Beep",
                                        "SuppressGrid",
                                        "WriteGrid",
                                        "KeepMatingPiece",
                                        "LastCapture",
                                        "GoalIsEnd",
                                        "Threat",
                                        "Series",
                                        "AutoStalemate"};
    const QStringView first = option.trimmed().split(QLatin1Char(' ')).value(0);
    for (const char* w : words)
        if (first.compare(QLatin1String(w), Qt::CaseInsensitive) == 0) return true;
    return false;
}

// A text named in a note; a long one is cut, since the report is for reading.
QString shortened(const QString& text) {
    if (text.size() <= InterchangeReport::kMaxQuoted) return text;
    return text.first(InterchangeReport::kMaxQuoted) +
           QStringLiteral("... (%1 characters)").arg(text.size());
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + shortened(text) + QLatin1Char('"');
}

// ---------------------------------------------------------------------------------------
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

    void keep(const QString& line, const QString& what) {
        keptLines << line;
        note(QStringLiteral("%1 kept at the end of the solution").arg(what));
    }

    void note(const QString& text) {
        if (notes.size() < InterchangeReport::kMaxNotes)
            notes << text;
        else
            ++moreNotes;
    }
};

QString scalarText(const YAML::Node& node) {
    return QString::fromStdString(node.Scalar());
}

// A scalar as text; any other node is reported and gives nothing.
std::optional<QString> textOf(const YAML::Node& node, const QString& field, EntryReading& r) {
    if (node.IsScalar()) return scalarText(node);
    if (node.IsNull()) return QString();
    r.note(field + QStringLiteral(": not a text"));
    return std::nullopt;
}

// Lists of texts; a single text reads as a list of one.
QStringList textsOf(const YAML::Node& node, const QString& field, EntryReading& r) {
    QStringList out;
    if (node.IsSequence()) {
        for (const YAML::Node& element : node)
            if (auto t = textOf(element, field, r)) out << *t;
    } else if (auto t = textOf(node, field, r); t && !t->isEmpty()) {
        out << *t;
    }
    return out;
}

void readAuthors(const YAML::Node& node, EntryReading& r) {
    const QStringList names = textsOf(node, QStringLiteral("authors"), r);
    r.item.author = names.join(QStringView(kAuthorSeparator));
    r.hasAuthors = !names.isEmpty();
}

QString dateText(const YAML::Node& node, EntryReading& r) {
    if (node.IsScalar()) return scalarText(node);
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
    if (!month.isEmpty()) text += QLatin1Char('-') + month.rightJustified(2, QLatin1Char('0'));
    if (!day.isEmpty()) text += QLatin1Char('-') + day.rightJustified(2, QLatin1Char('0'));
    for (const auto& element : node) {
        const QString key = QString::fromStdString(element.first.as<std::string>(""));
        if (key != QLatin1String("year") && key != QLatin1String("month") &&
            key != QLatin1String("day"))
            r.note(
                QStringLiteral("source: date field %1 has no place in an item").arg(quoted(key)));
    }
    return text;
}

void readSource(const YAML::Node& node, EntryReading& r) {
    if (node.IsScalar()) { // the older layout: the source as one text
        r.plainSource = scalarText(node);
        return;
    }
    if (!node.IsMap()) {
        if (!node.IsNull()) r.note(QStringLiteral("source: neither a text nor a source"));
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
            r.keep(QStringLiteral("Source %1: %2").arg(key, value.IsScalar() ? scalarText(value)
                                                                              : QString()),
                   QStringLiteral("source: %1 %2")
                       .arg(key, value.IsScalar() ? quoted(scalarText(value)) : QString())
                       .trimmed());
    }
}

void readAward(const YAML::Node& node, EntryReading& r) {
    if (!node.IsMap()) {
        r.note(QStringLiteral("award: not an award"));
        return;
    }
    r.hasAward = true;
    if (const YAML::Node d = node["distinction"]; d && d.IsScalar()) r.distinction = scalarText(d);
    if (const YAML::Node t = node["tourney"]; t && t.IsMap()) {
        if (t["name"] && t["name"].IsScalar()) r.tourney = scalarText(t["name"]);
        if (const YAML::Node d = t["date"])
            r.keep(QStringLiteral("Tourney date: ") + dateText(d, r),
                   QStringLiteral("award: the tourney date"));
    }
    if (const YAML::Node j = node["judges"]; j) {
        const QString judges = textsOf(j, QStringLiteral("judges"), r).join(QStringLiteral("; "));
        r.keep(QStringLiteral("Judges: ") + judges, QStringLiteral("award: judges ") + judges);
    }
}

void readStipulation(const YAML::Node& node, EntryReading& r) {
    const QString text = textOf(node, QStringLiteral("stipulation"), r).value_or(QString());
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    r.item.stipulation = words.value(0);
    if (words.size() > 1)
        r.note(QStringLiteral("stipulation: the words after %1 (%2) have no place in an item")
                   .arg(quoted(words[0]), words.mid(1).join(QLatin1Char(' '))));
}

void readPieces(const YAML::Node& node, names::Side side, const QString& sideWord,
                EntryReading& r) {
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

void readAlgebraic(const YAML::Node& node, EntryReading& r) {
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

void readOptions(const YAML::Node& node, EntryReading& r) {
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
bool twinKeyBefore(const QString& a, const QString& b) {
    auto rank = [](const QString& key) -> std::pair<int, qint64> {
        static const QRegularExpression numbered(QStringLiteral("^z([0-9]{1,9})$"));
        if (key.size() == 1 && key[0] >= QLatin1Char('a') && key[0] <= QLatin1Char('z'))
            return {0, key[0].unicode()};
        if (const auto m = numbered.match(key); m.hasMatch())
            return {1, m.captured(1).toLongLong()};
        return {2, 0};
    };
    const auto ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb;
    return a < b;
}

void readTwins(const YAML::Node& node, EntryReading& r) {
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

void readSolution(const YAML::Node& node, EntryReading& r) {
    QString text = textOf(node, QStringLiteral("solution"), r).value_or(QString());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // A block scalar ends in one line break that is no part of the solution.
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    r.item.solution = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void readComments(const YAML::Node& node, EntryReading& r) {
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

QString composedSource(const EntryReading& r) {
    QString line;
    if (r.plainSource) {
        line = *r.plainSource;
    } else if (r.sourceName || r.sourceIssue || r.sourceDate) {
        QStringList parts;
        for (const auto& part : {r.sourceName, r.sourceIssue, r.sourceDate})
            if (part && !part->isEmpty()) parts << *part;
        line = parts.join(QLatin1Char(' '));
    } else if (r.commentSource) {
        line = *r.commentSource;
    }
    // The award after the source: its distinction, and the tourney when it is not the source.
    QStringList award;
    if (r.distinction && !r.distinction->isEmpty()) award << *r.distinction;
    if (r.tourney && !r.tourney->isEmpty() && r.tourney != r.sourceName) award << *r.tourney;
    if (!award.isEmpty())
        line +=
            (line.isEmpty() ? QString() : QStringLiteral(", ")) + award.join(QStringLiteral(", "));
    return line;
}

QString describeValue(const YAML::Node& node) {
    if (node.IsScalar()) return quoted(scalarText(node));
    if (node.IsSequence()) {
        QString texts;
        for (const YAML::Node& element : node) {
            if (texts.size() > InterchangeReport::kMaxQuoted) {
                texts += QStringLiteral(", ... (%1 in all)").arg(node.size());
                break;
            }
            if (!texts.isEmpty()) texts += QStringLiteral(", ");
            texts += element.IsScalar() ? shortened(scalarText(element))
                                        : QStringLiteral("...");
        }
        return texts;
    }
    return {};
}

EntryReading readEntry(const YAML::Node& entry) {
    EntryReading r;
    for (const auto& element : entry) {
        const std::string key = element.first.IsScalar() ? element.first.Scalar() : std::string();
        const FieldReader* reader = nullptr;
        for (const FieldReader& f : kFieldReaders)
            if (key == f.key) reader = &f;
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
std::string utf8Of(QByteArrayView bytes, InterchangeReport& report) {
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
    if (utf8) return std::string(bytes.data(), size_t(bytes.size()));
    report.addGeneral(QStringLiteral("The file is not UTF-8; it was read as Windows-1252."));
    return cp1252::decode(bytes).toStdString();
}

// ---------------------------------------------------------------------------------------
// Writing: YAML text made here, in the block style Olive writes, with every text either in
// a plain form that YAML cannot misread or double-quoted with escapes.

bool isPrintable(char16_t c) {
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c != 0xFEFF && c != 0x2028 && c != 0x2029 &&
                                       !(c >= 0xD800 && c <= 0xDFFF) && c != 0xFFFE && c != 0xFFFF);
}

bool isPlainSafe(const QString& text) {
    if (text.isEmpty() || !text[0].isLetter() || text[0].unicode() > 0x7F ||
        text.back() == QLatin1Char(' '))
        return false;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == ',' || c == '\'' ||
                        c == '(' || c == ')' || c == '/' || c == '+' || c == '=' || c == '-' ||
                        c == '_' || c == '!' || c == '?' || c == '<' || c == '>' || c == '`' ||
                        c == ';' || c == '&' || (c >= 0xA0 && isPrintable(c) && c < 0x2000);
        if (!ok) return false;
    }
    // Words that YAML 1.1 readers take for booleans or null.
    static const char* const special[] = {"y",   "n",    "yes",   "no",  "on",
                                          "off", "true", "false", "null"};
    for (const char* s : special)
        if (text.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return false;
    return true;
}

void putQuoted(QByteArray& out, const QString& text) {
    out += '"';
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        switch (c) {
        case '"':
            out += "\\\"";
            continue;
        case '\\':
            out += "\\\\";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '\t':
            out += "\\t";
            continue;
        case '\r':
            out += "\\r";
            continue;
        default:
            break;
        }
        if (isPrintable(c)) {
            out += QStringView(&ch, 1).toUtf8();
        } else if (c < 0x100) {
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
        } else {
            out += "\\u" + QByteArray::number(c, 16).rightJustified(4, '0');
        }
    }
    out += '"';
}

void putScalar(QByteArray& out, const QString& text) {
    if (isPlainSafe(text))
        out += text.toUtf8();
    else
        putQuoted(out, text);
}

// A text of several lines as a literal block when YAML gives it back unchanged, the final
// line break added by the block included; otherwise double-quoted with that break.
void putBlock(QByteArray& out, const QString& text, const char* indent) {
    bool literal = !text.isEmpty() && text[0] != QLatin1Char(' ') && text[0] != QLatin1Char('\n') &&
                   !text.endsWith(QLatin1Char('\n'));
    for (qsizetype i = 0; literal && i < text.size(); ++i)
        literal = text[i] == QLatin1Char('\n') || isPrintable(text[i].unicode());
    if (literal) {
        const qsizetype lastBreak = text.lastIndexOf(QLatin1Char('\n'));
        literal = !text.mid(lastBreak + 1).trimmed().isEmpty();
    }
    if (!literal) {
        putQuoted(out, text + QLatin1Char('\n'));
        out += '\n';
        return;
    }
    out += "|\n";
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.isEmpty()) out += indent + line.toUtf8();
        out += '\n';
    }
}

struct EntryWriting {
    const Item& item;
    QByteArray out;
    QStringList notes;
    // The source line split into its YACPDB fields, or kept whole as a comment.
    QString sourceName, sourceDate, distinction;
    QStringList authors;
    QStringList comments;
    QStringList keywords, solvingOptions;
    QStringList solution; // without the lines that go back to their own fields

    void note(const QString& text) { notes << text; }
};

// The lines at the end of the solution that an import kept there ("Comment: ...",
// "Keywords: ...", "Options: ...") go back to their own fields of the entry.
void prepareKeptLines(EntryWriting& w) {
    w.solution = w.item.solution;
    QStringList comments;
    while (!w.solution.isEmpty()) {
        const QString& line = w.solution.last();
        if (line.startsWith(kCommentLine))
            comments.prepend(line.mid(kCommentLine.size()));
        else if (line.startsWith(kKeywordsLine))
            w.keywords = line.mid(kKeywordsLine.size()).split(QStringLiteral(", "), Qt::SkipEmptyParts);
        else if (line.startsWith(kOptionsLine))
            w.solvingOptions = line.mid(kOptionsLine.size()).split(QStringLiteral(", "), Qt::SkipEmptyParts);
        else
            break;
        w.solution.removeLast();
    }
    w.comments += comments;
}

const QRegularExpression& distinctionPattern() {
    // The distinctions YACPDB accepts: "1st Prize", "2nd-3rd HM", "Special Commendation, ...".
    static const QRegularExpression pattern(
        QStringLiteral(
            "^(((Special)|([0-9]*1st)|([0-9]*2nd)|([0-9]*3rd)|([0-9]*[0456789]th)|([0-9]*1[123]th))"
            "(-(([0-9]*1st)|([0-9]*2nd)|([0-9]*3rd)|([0-9]*[0456789]th)|([0-9]*1[123]th)))? )?"
            "(Special )?((Prize)|(Place)|(HM)|(Honorable Mention)|(Commendation)|(Comm\\.)|(cm))"
            "(, .*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

bool isPerson(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[^,]+(, [^,]+)?$"));
    return name.size() <= 255 && pattern.match(name).hasMatch();
}

void prepareAuthorsAndSource(EntryWriting& w) {
    const QString& author = w.item.author;
    if (!author.isEmpty()) {
        const QStringList names = author.split(QString::fromUtf16(kAuthorSeparator));
        bool ok = true;
        for (int i = 0; ok && i < names.size(); ++i)
            ok = isPerson(names[i]) && names.indexOf(names[i]) == i;
        if (ok)
            w.authors = names;
        else
            w.comments << kAuthorsComment + author;
    }
    QString line = w.item.source;
    if (line.isEmpty()) return;
    // Award: the earliest ", " after which the rest is a distinction.
    QString rest = line, distinction;
    for (qsizetype at = line.indexOf(QLatin1String(", ")); at >= 0;
         at = line.indexOf(QLatin1String(", "), at + 1)) {
        if (distinctionPattern().match(line.mid(at + 2)).hasMatch() &&
            line.mid(at + 2).size() <= 255) {
            rest = line.left(at);
            distinction = line.mid(at + 2);
            break;
        }
    }
    static const QRegularExpression dated(QStringLiteral(
        "^(.*\\S) ([0-9]{4}(?:-[0-9]{4}|-(?:0[1-9]|1[0-2])(?:-(?:0[1-9]|[12][0-9]|3[01]))?)?)$"));
    const auto m = dated.match(rest);
    if (m.hasMatch() && m.captured(1).size() <= 255 && m.captured(2) != QLatin1String("0000")) {
        w.sourceName = m.captured(1);
        w.sourceDate = m.captured(2);
        w.distinction = distinction;
    } else {
        w.comments << kSourceComment + line;
    }
}

void writeAuthors(EntryWriting& w) {
    if (w.authors.isEmpty()) return;
    w.out += "authors:\n";
    for (const QString& name : w.authors) {
        w.out += "  - ";
        putScalar(w.out, name);
        w.out += '\n';
    }
}

void writeSource(EntryWriting& w) {
    if (w.sourceName.isEmpty()) return;
    w.out += "source:\n  name: ";
    putScalar(w.out, w.sourceName);
    const QString& date = w.sourceDate;
    // A plain year as a number, as Olive writes it; a span, a year with a leading zero or a
    // date with its month as one text, which the date field also takes.
    if (date.size() == 4 && date[0] != QLatin1Char('0'))
        w.out += "\n  date:\n    year: " + date.toLatin1() + '\n';
    else
        w.out += "\n  date: \"" + date.toLatin1() + "\"\n";
}

void writeAward(EntryWriting& w) {
    if (w.distinction.isEmpty()) return;
    w.out += "award:\n  tourney: ditto\n  distinction: ";
    putScalar(w.out, w.distinction);
    w.out += '\n';
}

// A piece as YACPDB writes it: "Royal Zf3", "PAg7" (pao), "Ka1". The walk stays in capitals:
// readers tell "LE" (a leo) from "L" and a square only by the case.
QString walkForEntry(const QString& walk) {
    return walk.toUpper();
}

QString specificationForEntry(int specification) {
    static const char* const words[] = {"",
                                        "Chameleon",
                                        "Jigger",
                                        "Kamikaze",
                                        "Paralysing",
                                        "Royal",
                                        "Volage",
                                        "",
                                        "Functionary",
                                        "HalfNeutral",
                                        "HurdleColourChanging",
                                        "Protean",
                                        "Magic",
                                        "Uncapturable"};
    return QString::fromLatin1(words[specification]);
}

void writeAlgebraic(EntryWriting& w) {
    QStringList sides[3];
    const Board& board = w.item.board;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const PieceCode code = board.at(r, c);
            if (code == 0) continue;
            const Piece p(code);
            const QString where = names::Describe(code, r, c);
            if (p.isMarker()) {
                w.note(QStringLiteral("board: %1 left out").arg(where));
                continue;
            }
            if (!p.isPiece() || !p.isKnown()) {
                w.note(
                    QStringLiteral("board: %1 (not a piece the editor makes) left out").arg(where));
                continue;
            }
            QString walk = names::WalkOf(code);
            if (p.isFairy() && KindCode(p.kind()) == QLatin1String("AG")) {
                w.note(QStringLiteral("board: %1 left out (Popeye has no Andernach grasshopper)")
                           .arg(where));
                continue;
            }
            QString text;
            if (p.isFairy() && p.specification() > 0) {
                const QString word = specificationForEntry(p.specification());
                if (word.isEmpty())
                    w.note(QStringLiteral("board: specification %1 of the %2 left out")
                               .arg(SpecificationName(p.specification()), where));
                else
                    text = word + QLatin1Char(' ');
            }
            const names::Side side = names::SideOf(code);
            if (p.isFairy() && p.specification() == 0 && side != names::Side::Neutral &&
                names::CodeOf(side, p.kind(), 0) != code)
                w.note(QStringLiteral("board: fairy %1 is written as the piece of its own base")
                           .arg(where));
            text += walkForEntry(walk) + Square{r, c}.name();
            sides[int(side)] << text;
        }
    w.out += "algebraic:";
    bool any = false;
    static const char* const keys[] = {"white", "black", "neutral"};
    for (int s = 0; s < 3; ++s) {
        if (sides[s].isEmpty()) continue;
        any = true;
        w.out += QByteArray("\n  ") + keys[s] + ": [" +
                 sides[s].join(QStringLiteral(", ")).toLatin1() + ']';
    }
    w.out += any ? "\n" : " {}\n";
}

void writeStipulation(EntryWriting& w) {
    QString text = w.item.stipulation;
    if (text.size() > 255) {
        w.note(QStringLiteral("stipulation: longer than 255 characters; cut"));
        text.truncate(255);
    }
    w.out += "stipulation: ";
    putScalar(w.out, text);
    w.out += '\n';
}

// The condition text as YACPDB options: split where "Duplex" and "WhiteToPlay" stand as words,
// so that they are options of their own, whenever joining the parts with blanks gives the text
// back exactly; otherwise the text stays one option.
QStringList conditionOptions(const QString& condition) {
    if (condition.isEmpty()) return {};
    const QStringList words = condition.split(QLatin1Char(' '));
    QStringList parts;
    QString current;
    for (const QString& word : words) {
        const bool own = word == QLatin1String("Duplex") || word == QLatin1String("WhiteToPlay");
        if (own) {
            if (!current.isEmpty()) parts << current;
            parts << word;
            current.clear();
        } else {
            current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
    }
    if (!current.isEmpty()) parts << current;
    // A part read back as a solving option would be lost: keep it with the part before it.
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (isSolvingOption(parts[i]) && !isSolvingOption(parts[i - 1])) {
            parts[i - 1] += QLatin1Char(' ') + parts[i];
            parts.removeAt(i--);
        }
    bool exact = parts.join(QLatin1Char(' ')) == condition;
    for (qsizetype i = 0; exact && i < parts.size(); ++i)
        exact = parts[i].size() <= 255 && parts.indexOf(parts[i]) == i && !parts[i].isEmpty();
    if (!exact) return {condition};
    return parts;
}

void writeOptions(EntryWriting& w) {
    const QStringList options = conditionOptions(w.item.condition) + w.solvingOptions;
    if (options.isEmpty()) return;
    if (options.size() == 1 && isSolvingOption(options[0]))
        w.note(QStringLiteral("condition: %1 reads as a solving option").arg(quoted(options[0])));
    if (options.size() == 1 && options[0].size() > 255)
        w.note(QStringLiteral("condition: longer than 255 characters"));
    w.out += "options:\n";
    for (const QString& option : options) {
        w.out += "  - ";
        putScalar(w.out, option);
        w.out += '\n';
    }
}

QString twinKey(int index) // 0 is "a"
{
    if (index < 26) return QString(QChar(u'a' + index));
    return QStringLiteral("z%1").arg(index - 25);
}

void writeTwins(EntryWriting& w) {
    QList<std::pair<QString, QString>> twins;
    int next = 1; // "b"
    const QStringList& lines = w.item.twins;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty()) {
            w.note(QStringLiteral("twins: empty twin line left out"));
            continue;
        }
        QString value;
        if (line.startsWith(QLatin1String("Zero "))) {
            if (i != 0) {
                w.note(QStringLiteral("twins: %1 is not the first twin line; left out")
                           .arg(quoted(line)));
                continue;
            }
            twins.append({QStringLiteral("a"), line.mid(5)});
            continue;
        }
        if (line.startsWith(QLatin1String("Twin Cont "))) {
            value = QStringLiteral("Continued ") + line.mid(10);
        } else if (line.startsWith(QLatin1String("Twin ")) &&
                   !line.mid(5).startsWith(QLatin1String("Continued "))) {
            value = line.mid(5);
        } else {
            w.note(QStringLiteral("twins: %1 is no Popeye twin; written as it stands")
                       .arg(quoted(line)));
            value = line;
        }
        if (value.size() > 255) {
            w.note(QStringLiteral("twins: %1 is longer than 255 characters; cut")
                       .arg(quoted(line.left(20) + QStringLiteral("..."))));
            value.truncate(255);
        }
        twins.append({twinKey(next++), value});
    }
    if (twins.size() == 1 && twins[0].first == QLatin1String("a")) {
        w.note(QStringLiteral("twins: a zero position without a twin left out"));
        twins.clear();
    }
    if (twins.isEmpty()) return;
    w.out += "twins:\n";
    for (const auto& [key, value] : twins) {
        w.out += "  " + key.toLatin1() + ": ";
        putScalar(w.out, value);
        w.out += '\n';
    }
}

void writeSolution(EntryWriting& w) {
    // The schema wants a solution of at least one character; the block's line break is one,
    // and it reads back as no solution.
    w.out += "solution: ";
    putBlock(w.out, w.solution.join(QLatin1Char('\n')), "  ");
}

void writeKeywords(EntryWriting& w) {
    if (w.keywords.isEmpty()) return;
    w.out += "keywords:\n";
    for (const QString& keyword : w.keywords) {
        w.out += "  - ";
        putScalar(w.out, keyword);
        w.out += '\n';
    }
}

void writeComments(EntryWriting& w) {
    if (w.comments.isEmpty()) return;
    w.out += "comments:\n";
    for (const QString& comment : w.comments) {
        w.out += "  - ";
        putScalar(w.out, comment);
        w.out += '\n';
    }
}

// The entry fields in the order Olive writes them, each with its writer.
struct FieldWriter {
    const char* key;
    void (*write)(EntryWriting&);
};
const FieldWriter kFieldWriters[] = {
    {"authors", writeAuthors},     {"source", writeSource},           {"award", writeAward},
    {"algebraic", writeAlgebraic}, {"stipulation", writeStipulation}, {"options", writeOptions},
    {"twins", writeTwins},         {"solution", writeSolution},       {"keywords", writeKeywords},
    {"comments", writeComments},
};

QString itemLabel(const QList<int>& numbers, qsizetype i) {
    return QStringLiteral("item %1").arg(i < numbers.size() ? numbers[i] : int(i) + 1);
}

void appendEntries(ExportedFile& file, const QList<Item>& items, const QList<int>& numbers) {
    file.bytes.reserve(file.bytes.size() + items.size() * 400);
    for (qsizetype i = 0; i < items.size(); ++i) {
        EntryWriting w{items[i], {}, {}, {}, {}, {}, {}, {}};
        w.out.reserve(512);
        prepareAuthorsAndSource(w);
        prepareKeptLines(w);
        for (const FieldWriter& f : kFieldWriters)
            f.write(w);
        file.bytes += "---\n";
        file.bytes += w.out;
        for (const QString& note : w.notes)
            file.report.add(int(i) + 1, itemLabel(numbers, i), note);
    }
}

struct DocumentText {
    size_t begin = 0;
    size_t end = 0;
    int firstLine = 0;   // of the whole text, 0-based
    bool opened = false; // starts with a "---" line
};

bool isMarkerLine(std::string_view text, size_t at, const char* marker) {
    if (text.compare(at, 3, marker) != 0) return false;
    return at + 3 == text.size() || text[at + 3] == ' ' || text[at + 3] == '\t' ||
           text[at + 3] == '\n' || text[at + 3] == '\r';
}

// The documents of a YAML stream by their markers: a "---" line starts one, a "..." line ends
// one. Both stand at the start of a line, where no text of a document can (block texts are
// indented, and the markers end quoted texts too). A stretch holding nothing but comments and
// blank lines, such as a file's leading comment, is no document.
std::vector<DocumentText> documentsOf(const std::string& text) {
    std::vector<DocumentText> out;
    DocumentText current;
    bool content = false;
    int line = 0;
    auto close = [&](size_t at) {
        current.end = at;
        if (current.opened || content) out.push_back(current);
        content = false;
    };
    for (size_t at = 0; at < text.size(); ++line) {
        size_t next = text.find('\n', at);
        next = next == std::string::npos ? text.size() : next + 1;
        if (isMarkerLine(text, at, "---")) {
            close(at);
            current = {at, at, line, true};
        } else if (isMarkerLine(text, at, "...")) {
            close(next);
            current = {next, next, line + 1, false};
        } else if (!content) {
            size_t p = at;
            while (p < next &&
                   (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\n'))
                ++p;
            content = p < next && text[p] != '#';
        }
        at = next;
    }
    close(text.size());
    return out;
}

// yaml-cpp 0.7 never returns from a document that holds a "," where a token starts outside a
// flow collection (",", "- a\n,", "\"a\" ,"). No valid YAML has one, so such a document is
// refused before the parser sees it. Gives the 0-based line and column of that comma.
std::optional<std::pair<int, int>> strayComma(std::string_view text) {
    static const QRegularExpression blockHeader(QStringLiteral("^[|>][-+0-9]{0,3}$"));
    int depth = 0;
    int line = 0;
    int blockIndent = -1; // inside a block text whose header line had this indentation
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        size_t indent = 0;
        while (at + indent < end && text[at + indent] == ' ')
            ++indent;
        const bool blank = at + indent >= end || text[at + indent] == '\r';
        if (blockIndent >= 0 && (blank || int(indent) > blockIndent)) {
            at = end + 1;
            ++line;
            continue;
        }
        blockIndent = -1;
        bool tokenStart = true;
        size_t contentEnd = end;
        size_t i = at + indent;
        if (indent == 0 && (isMarkerLine(text, at, "---") || isMarkerLine(text, at, "...")))
            i += 3; // a document marker; a token may follow it
        for (; i < end; ++i) {
            const char c = text[i];
            const bool spaceAfter =
                i + 1 >= end || text[i + 1] == ' ' || text[i + 1] == '\t' || text[i + 1] == '\r';
            if (c == ' ' || c == '\t' || c == '\r') continue;
            if (c == '#' && (i == at + indent || text[i - 1] == ' ' || text[i - 1] == '\t')) {
                contentEnd = i;
                break;
            }
            if ((c == '"' || c == '\'') && tokenStart) {
                // Quoted text, perhaps over several lines.
                size_t q = i + 1;
                while (q < text.size()) {
                    if (text[q] == '\n') ++line;
                    if (c == '"' && text[q] == '\\') {
                        q += 2;
                        continue;
                    }
                    if (text[q] == c) {
                        if (c == '\'' && q + 1 < text.size() && text[q + 1] == '\'') {
                            q += 2;
                            continue;
                        }
                        break;
                    }
                    ++q;
                }
                if (q >= text.size()) return std::nullopt; // an open quote: the parser reports it
                if (text.find('\n', i) < q) {              // the quote ended on a later line
                    at = text.rfind('\n', q) + 1;
                    end = text.find('\n', q);
                    end = end == std::string::npos ? text.size() : end;
                    contentEnd = end;
                }
                i = q;
                tokenStart = true;
                continue;
            }
            if ((c == '[' || c == '{') && (tokenStart || depth > 0)) {
                ++depth;
                tokenStart = true;
            } else if ((c == ']' || c == '}') && depth > 0) {
                depth = std::max(0, depth - 1);
                tokenStart = true;
            } else if (c == ',') {
                if (depth == 0 && tokenStart) return std::make_pair(line, int(i - at));
                tokenStart = depth > 0;
            } else if ((c == '-' || c == '?' || c == ':') && spaceAfter) {
                tokenStart = true;
            } else if ((c == '!' || c == '&' || c == '*') && tokenStart) {
                // Anchor and tag names end at a blank or a flow indicator.
                while (i + 1 < end &&
                       std::string_view(" \t\r,[]{}").find(text[i + 1]) == std::string_view::npos)
                    ++i;
                tokenStart = true;
            } else {
                tokenStart = depth > 0 && (c == ':');
            }
        }
        // A block text starts after a line that ends in its header ("|", ">-", "|2").
        std::string_view content = text.substr(at, contentEnd - at);
        while (!content.empty() &&
               (content.back() == ' ' || content.back() == '\t' || content.back() == '\r'))
            content.remove_suffix(1);
        const size_t lastBlank = content.find_last_of(" \t");
        const std::string_view last =
            content.substr(lastBlank == std::string::npos ? 0 : lastBlank + 1);
        if (depth == 0 && !last.empty() && last.size() <= 4 &&
            blockHeader.match(QString::fromUtf8(last.data(), qsizetype(last.size()))).hasMatch())
            blockIndent = int(indent);
        at = end + 1;
        ++line;
    }
    return std::nullopt;
}

// What a document becomes once built, measured from the parser's events before it is: yaml-cpp
// keeps some 600 bytes per node, and reading visits an aliased node once per alias, so a few
// anchors that nest aliases can stand for gigabytes. Sizes in bytes, node overhead included.
class DocumentMeasure : public YAML::EventHandler {
public:
    static constexpr quint64 kNodeBytes = 600;
    // Olive writes no aliases; a hand-written file may share a few nodes.
    static constexpr quint64 kAliasBudget = 4 * 1024 * 1024;

    struct TooManyAliases {};

    quint64 built = 0;    // the nodes as written, an alias as one node
    quint64 expanded = 0; // every alias replaced by what it stands for

    void OnDocumentStart(const YAML::Mark&) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark&, YAML::anchor_t anchor) override { leaf(anchor, kNodeBytes); }
    void OnAlias(const YAML::Mark&, YAML::anchor_t anchor) override {
        add(kNodeBytes, anchor < m_anchors.size() ? m_anchors[anchor] : kNodeBytes);
    }
    void OnScalar(const YAML::Mark&, const std::string&, YAML::anchor_t anchor,
                  const std::string& value) override {
        leaf(anchor, kNodeBytes + value.size());
    }
    void OnSequenceStart(const YAML::Mark&, const std::string&, YAML::anchor_t anchor,
                         YAML::EmitterStyle::value) override {
        open(anchor);
    }
    void OnSequenceEnd() override { close(); }
    void OnMapStart(const YAML::Mark&, const std::string&, YAML::anchor_t anchor,
                    YAML::EmitterStyle::value) override {
        open(anchor);
    }
    void OnMapEnd() override { close(); }

private:
    static quint64 sum(quint64 a, quint64 b) { return a > ~quint64(0) - b ? ~quint64(0) : a + b; }

    void add(quint64 own, quint64 whole) {
        built = sum(built, own);
        expanded = sum(expanded, whole);
        if (!m_open.empty()) m_open.back().expanded = sum(m_open.back().expanded, whole);
        if (expanded - qMin(expanded, built) > kAliasBudget) throw TooManyAliases();
    }
    void remember(YAML::anchor_t anchor, quint64 whole) {
        if (anchor == YAML::NullAnchor) return;
        if (anchor >= m_anchors.size()) m_anchors.resize(anchor + 1, kNodeBytes);
        m_anchors[anchor] = whole;
    }
    void leaf(YAML::anchor_t anchor, quint64 bytes) {
        remember(anchor, bytes);
        add(bytes, bytes);
    }
    void open(YAML::anchor_t anchor) {
        built = sum(built, kNodeBytes);
        m_open.push_back({anchor, kNodeBytes});
    }
    void close() {
        if (m_open.empty()) return;
        const Open done = m_open.back();
        m_open.pop_back();
        remember(done.anchor, done.expanded);
        expanded = sum(expanded, kNodeBytes);
        if (!m_open.empty()) m_open.back().expanded = sum(m_open.back().expanded, done.expanded);
    }

    struct Open {
        YAML::anchor_t anchor;
        quint64 expanded;
    };
    std::vector<Open> m_open;
    std::vector<quint64> m_anchors; // by anchor: what the anchored node stands for
};

// The parser reads a document where it lies in the file's text, not from a copy of it.
class ViewStream : public std::streambuf {
public:
    explicit ViewStream(std::string_view text) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

// Whether a document must be measured before it is built: it may hold an alias, or it may
// hold more nodes than `room` has memory for. Every node but the first starts after one of
// the indicators counted here, so twice their number bounds the nodes.
bool mayRepeatOrSwell(std::string_view part, quint64 room) {
    quint64 indicators = 0;
    for (const char c : part) {
        if (c == '*') return true;
        indicators += c == ',' || c == '-' || c == ':' || c == '[' || c == '{' || c == '?' ||
                      c == '\n';
    }
    return (2 * indicators + 1) * DocumentMeasure::kNodeBytes > room;
}

void readDocument(const YAML::Node& document, int index, ImportedItems& result) {
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

qint64 ImportMemoryLimit(qint64 fileSize) {
    return 8 * fileSize + 100 * 1024 * 1024;
}

ImportedItems ReadOlive(QByteArrayView bytes, const Progress& progress) {
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
                DocumentMeasure measure;
                ViewStream buffer(part);
                std::istream stream(&buffer);
                YAML::Parser parser(stream);
                while (parser.HandleNextDocument(measure)) {
                }
                if (held + measure.built > quint64(memoryLimit))
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
        } catch (const DocumentMeasure::TooManyAliases&) {
            throw Failure::error(
                QStringLiteral("The file repeats its anchored parts (YAML aliases \"*\") too "
                               "often: entry %1 (from line %2) would grow to more than %3 MB. "
                               "Nothing was imported.")
                    .arg(index + 1)
                    .arg(document.firstLine + 1)
                    .arg(DocumentMeasure::kAliasBudget / (1024 * 1024)));
        } catch (const YAML::Exception& e) {
            throw Failure::error(QStringLiteral("The file is no valid YAML: line %1, column %2: %3")
                                     .arg(document.firstLine + e.mark.line + 1)
                                     .arg(e.mark.column + 1)
                                     .arg(QString::fromStdString(e.msg)));
        }
        if (nodes.empty() && document.opened) nodes.emplace_back();
        for (const YAML::Node& node : nodes)
            readDocument(node, ++index, result);
    }
    return result;
}

ExportedFile WriteOlive(const QList<Item>& items, const QList<int>& numbers) {
    ExportedFile file;
    appendEntries(file, items, numbers);
    return file;
}

ExportedFile AppendOlive(QByteArrayView existing, const QList<Item>& items,
                         const QList<int>& numbers) {
    ExportedFile file;
    file.bytes = existing.toByteArray();
    if (!file.bytes.isEmpty() && !file.bytes.endsWith('\n')) file.bytes += '\n';
    appendEntries(file, items, numbers);
    return file;
}

} // namespace vexil
