#include "interchange/olive.h"

#include "interchange/oliveshared.h"
#include "interchange/piecenames.h"
#include "model/failure.h"
#include "model/fairytext.h"
#include "model/piece.h"
#include "model/square.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <string_view>

namespace vexil {

using namespace olive;

namespace {

// Writing: YAML text made here, in the block style Olive writes, with every text either in
// a plain form that YAML cannot misread or double-quoted with escapes.

bool isPrintable(char16_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c != 0xFEFF && c != 0x2028 && c != 0x2029 &&
                                       !(c >= 0xD800 && c <= 0xDFFF) && c != 0xFFFE && c != 0xFFFF);
}

bool isPlainSafe(const QString& text)
{
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
        if (!ok)
            return false;
    }
    // Words that YAML 1.1 readers take for booleans or null.
    static const char* const special[] = {"y",   "n",    "yes",   "no",  "on",
                                          "off", "true", "false", "null"};
    for (const char* s : special)
        if (text.compare(QLatin1String(s), Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

void putQuoted(QByteArray& out, const QString& text)
{
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

void putScalar(QByteArray& out, const QString& text)
{
    if (isPlainSafe(text))
        out += text.toUtf8();
    else
        putQuoted(out, text);
}

// A text of several lines as a literal block when YAML gives it back unchanged, the final
// line break added by the block included; otherwise double-quoted with that break.
void putBlock(QByteArray& out, const QString& text, const char* indent)
{
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
        if (!line.isEmpty())
            out += indent + line.toUtf8();
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
void prepareKeptLines(EntryWriting& w)
{
    // The kept lines stand together at the end, each "Name: text"; those with a field of
    // their own leave the solution, the others stay in it.
    static const QRegularExpression kept(QStringLiteral("^[A-Z][A-Za-z-]*(?: [a-z-]+)?: "));
    qsizetype first = w.item.solution.size();
    while (first > 0 && kept.match(w.item.solution[first - 1]).hasMatch())
        --first;
    w.solution = w.item.solution.first(first);
    for (const QString& line : w.item.solution.sliced(first)) {
        if (line.startsWith(kCommentLine))
            w.comments << line.mid(kCommentLine.size());
        else if (line.startsWith(kKeywordsLine))
            w.keywords =
                line.mid(kKeywordsLine.size()).split(QStringLiteral(", "), Qt::SkipEmptyParts);
        else if (line.startsWith(kOptionsLine))
            w.solvingOptions =
                line.mid(kOptionsLine.size()).split(QStringLiteral(", "), Qt::SkipEmptyParts);
        else
            w.solution << line;
    }
}

const QRegularExpression& distinctionPattern()
{
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

bool isPerson(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[^,]+(, [^,]+)?$"));
    return name.size() <= 255 && pattern.match(name).hasMatch();
}

void prepareAuthorsAndSource(EntryWriting& w)
{
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
    if (line.isEmpty())
        return;
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

void writeAuthors(EntryWriting& w)
{
    if (w.authors.isEmpty())
        return;
    w.out += "authors:\n";
    for (const QString& name : w.authors) {
        w.out += "  - ";
        putScalar(w.out, name);
        w.out += '\n';
    }
}

void writeSource(EntryWriting& w)
{
    if (w.sourceName.isEmpty())
        return;
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

void writeAward(EntryWriting& w)
{
    if (w.distinction.isEmpty())
        return;
    w.out += "award:\n  tourney: ditto\n  distinction: ";
    putScalar(w.out, w.distinction);
    w.out += '\n';
}

// A piece as YACPDB writes it: "Royal Zf3", "PAg7" (pao), "Ka1". The walk stays in capitals:
// readers tell "LE" (a leo) from "L" and a square only by the case.
QString walkForEntry(const QString& walk)
{
    return walk.toUpper();
}

QString specificationForEntry(int specification)
{
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

void writeAlgebraic(EntryWriting& w)
{
    QStringList sides[3];
    const Board& board = w.item.board;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const PieceCode code = board.at(r, c);
            if (code == 0)
                continue;
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
        if (sides[s].isEmpty())
            continue;
        any = true;
        w.out += QByteArray("\n  ") + keys[s] + ": [" +
                 sides[s].join(QStringLiteral(", ")).toLatin1() + ']';
    }
    w.out += any ? "\n" : " {}\n";
}

void writeStipulation(EntryWriting& w)
{
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
QStringList conditionOptions(const QString& condition)
{
    if (condition.isEmpty())
        return {};
    const QStringList words = condition.split(QLatin1Char(' '));
    QStringList parts;
    QString current;
    for (const QString& word : words) {
        const bool own = word == QLatin1String("Duplex") || word == QLatin1String("WhiteToPlay");
        if (own) {
            if (!current.isEmpty())
                parts << current;
            parts << word;
            current.clear();
        } else {
            current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
    }
    if (!current.isEmpty())
        parts << current;
    // A part read back as a solving option would be lost: keep it with the part before it.
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (isSolvingOption(parts[i]) && !isSolvingOption(parts[i - 1])) {
            parts[i - 1] += QLatin1Char(' ') + parts[i];
            parts.removeAt(i--);
        }
    bool exact = parts.join(QLatin1Char(' ')) == condition;
    for (qsizetype i = 0; exact && i < parts.size(); ++i)
        exact = parts[i].size() <= 255 && parts.indexOf(parts[i]) == i && !parts[i].isEmpty();
    if (!exact)
        return {condition};
    return parts;
}

void writeOptions(EntryWriting& w)
{
    const QStringList fromCondition = conditionOptions(w.item.condition);
    const QStringList options = fromCondition + w.solvingOptions;
    if (options.isEmpty())
        return;
    if (fromCondition.size() == 1 && isSolvingOption(fromCondition[0])) {
        w.note(QStringLiteral("condition: %1 reads as a solving option")
                   .arg(quoted(fromCondition[0])));
        w.note(QStringLiteral("solution: the solving option %1 comes back at its end")
                   .arg(quoted(fromCondition[0])));
    }
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
    if (index < 26)
        return QString(QChar(u'a' + index));
    return QStringLiteral("z%1").arg(index - 25);
}

void writeTwins(EntryWriting& w)
{
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
    if (twins.isEmpty())
        return;
    w.out += "twins:\n";
    for (const auto& [key, value] : twins) {
        w.out += "  " + key.toLatin1() + ": ";
        putScalar(w.out, value);
        w.out += '\n';
    }
}

void writeSolution(EntryWriting& w)
{
    // The schema wants a solution of at least one character; the block's line break is one,
    // and it reads back as no solution.
    w.out += "solution: ";
    putBlock(w.out, w.solution.join(QLatin1Char('\n')), "  ");
}

void writeKeywords(EntryWriting& w)
{
    if (w.keywords.isEmpty())
        return;
    w.out += "keywords:\n";
    for (const QString& keyword : w.keywords) {
        w.out += "  - ";
        putScalar(w.out, keyword);
        w.out += '\n';
    }
}

void writeComments(EntryWriting& w)
{
    if (w.comments.isEmpty())
        return;
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

QString itemLabel(const QList<int>& numbers, qsizetype i)
{
    return QStringLiteral("item %1").arg(i < numbers.size() ? numbers[i] : int(i) + 1);
}

void appendEntries(ExportedFile& file, const QList<Item>& items, const QList<int>& numbers)
{
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

} // namespace

ExportedFile WriteOlive(const QList<Item>& items, const QList<int>& numbers)
{
    ExportedFile file;
    appendEntries(file, items, numbers);
    return file;
}

ExportedFile AppendOlive(QByteArrayView existing, const QList<Item>& items,
                         const QList<int>& numbers)
{
    ExportedFile file;
    file.bytes = existing.toByteArray();
    if (!file.bytes.isEmpty() && !file.bytes.endsWith('\n'))
        file.bytes += '\n';
    appendEntries(file, items, numbers);
    return file;
}

} // namespace vexil
