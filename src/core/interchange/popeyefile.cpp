#include "interchange/popeyefile.h"

#include "interchange/piecenames.h"
#include "interchange/position.h"
#include "model/cp1252.h"
#include "model/failure.h"
#include "model/piece.h"

#include <QStringDecoder>

#include <optional>

namespace vexil {
namespace {

enum class Keyword {
    None,
    BeginProblem,
    EndProblem,
    NextProblem,
    Author,
    Origin,
    Title,
    Award,
    Pieces,
    Forsyth,
    Stipulation,
    SStipulation,
    Condition,
    Option,
    Twin,
    ZeroPosition,
    Remark,
    Protocol,
    LaTeX,
    LaTeXPieces,
    LaTeXEnd,
};

struct KeywordName {
    const char* name;
    Keyword keyword;
};
const KeywordName kKeywords[] = {
    {"BeginProblem", Keyword::BeginProblem},
    {"EndProblem", Keyword::EndProblem},
    {"NextProblem", Keyword::NextProblem},
    {"Author", Keyword::Author},
    {"Origin", Keyword::Origin},
    {"Title", Keyword::Title},
    {"Award", Keyword::Award},
    {"Pieces", Keyword::Pieces},
    {"Forsyth", Keyword::Forsyth},
    {"Stipulation", Keyword::Stipulation},
    {"SStipulation", Keyword::SStipulation},
    {"Condition", Keyword::Condition},
    {"Option", Keyword::Option},
    {"Twin", Keyword::Twin},
    {"ZeroPosition", Keyword::ZeroPosition},
    {"Remark", Keyword::Remark},
    {"Protocol", Keyword::Protocol},
    {"LaTeX", Keyword::LaTeX},
    {"LaTeXPieces", Keyword::LaTeXPieces},
    {"LaTeXEnd", Keyword::LaTeXEnd},
};

// A keyword written out in full or cut to a prefix that no other keyword shares; case ignored.
Keyword keywordOf(QStringView token, bool prefixes)
{
    Keyword found = Keyword::None;
    int candidates = 0;
    for (const KeywordName& k : kKeywords) {
        const QLatin1String name(k.name);
        if (token.compare(name, Qt::CaseInsensitive) == 0)
            return k.keyword;
        if (prefixes && !token.isEmpty() && name.startsWith(token, Qt::CaseInsensitive)) {
            found = k.keyword;
            ++candidates;
        }
    }
    return candidates == 1 ? found : Keyword::None;
}

struct Token {
    QStringView text;
    qsizetype end; // just after the token in its line
};

// The next word of `line` from `at` on, moving `at` past it; none at the end of the line.
std::optional<Token> nextToken(QStringView line, qsizetype& at)
{
    while (at < line.size() && line[at].isSpace())
        ++at;
    const qsizetype start = at;
    while (at < line.size() && !line[at].isSpace())
        ++at;
    if (at == start)
        return std::nullopt;
    return Token{line.sliced(start, at - start), at};
}

// Words a note names: the first thousand characters or so, for a report is read by people.
void addWord(QString& words, QStringView token)
{
    if (words.size() > InterchangeReport::kMaxNoteLength)
        return;
    if (!words.isEmpty())
        words += QLatin1Char(' ');
    words += token;
}

bool startsWithColour(QStringView token, names::Side& side)
{
    static const struct {
        const char* word;
        names::Side side;
    } colours[] = {{"white", names::Side::White},
                   {"black", names::Side::Black},
                   {"neutral", names::Side::Neutral}};
    for (const auto& c : colours)
        if (!token.isEmpty() && QLatin1String(c.word).startsWith(token, Qt::CaseInsensitive)) {
            side = c.side;
            return true;
        }
    return false;
}

// The lines of a text, each without its line end: CR LF, a lone LF and a lone CR all end one.
QList<QStringView> linesOf(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            continue;
        lines.append(text.sliced(start, i - start));
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    lines.append(text.sliced(start));
    return lines;
}

// Reads a file token by token in one pass: a keyword changes the state and reading goes on
// with the next token, so a line of thousands of keywords costs what its length costs.
class ProblemReader {
public:
    explicit ProblemReader(ImportedItems& result) : m_result(result) {}

    void read(const QString& text)
    {
        const QList<QStringView> lines = linesOf(text);
        bool sawBegin = false;
        for (qsizetype n = 0; n < lines.size(); ++n) {
            m_lineNumber = int(n) + 1;
            const QStringView line = lines[n];
            qsizetype at = 0;
            const std::optional<Token> first = nextToken(line, at);
            if (!first)
                continue;
            qsizetype from = 0;
            if (!m_inProblem) {
                if (keywordOf(first->text, true) != Keyword::BeginProblem) {
                    if (!m_reportedOutside) {
                        m_reportedOutside = true;
                        m_result.report.addGeneral(
                            QStringLiteral(
                                "line %1: text outside BeginProblem ... EndProblem ignored")
                                .arg(m_lineNumber));
                    }
                    continue;
                }
                sawBegin = true;
                startProblem();
                from = first->end;
            } else if (m_section == Section::Twin &&
                       keywordOf(first->text, true) == Keyword::None) {
                // A twin runs on over the lines that follow it, word for word.
                if (!m_item.twins.isEmpty())
                    m_item.twins.last() += QLatin1Char(' ') + line.trimmed().toString();
                continue;
            }
            readTokens(line, from);
        }
        if (!sawBegin)
            throw Failure::error(
                QStringLiteral("The file holds no Popeye problem (no BeginProblem)."));
        if (m_inProblem) {
            note(QStringLiteral("the file ends before EndProblem; the problem is kept as read"));
            finishProblem();
        }
    }

private:
    enum class Section { None, Pieces, Condition, Option, Twin, Ignored };

    void note(const QString& text)
    {
        m_result.report.add(m_number, QStringLiteral("problem %1").arg(m_number), text);
    }

    void startProblem()
    {
        m_inProblem = true;
        ++m_number;
        m_item = Item();
        m_authors.clear();
        m_sources.clear();
        m_titles.clear();
        m_awards.clear();
        m_conditions.clear();
        m_options.clear();
        m_duplex = m_whiteToPlay = m_hasBoard = false;
        m_section = Section::None;
        m_side.reset();
        m_specification = 0;
    }

    void finishProblem()
    {
        auto unknownless = [](QStringList texts) {
            // The solve window writes "Unknown" for an empty author or source.
            if (texts.size() == 1 && texts[0] == QLatin1String("Unknown"))
                texts.clear();
            return texts;
        };
        m_item.author = unknownless(m_authors).join(QStringView(kAuthorSeparator));
        QStringList source = unknownless(m_sources);
        source << m_awards << m_titles;
        m_item.source = source.join(QStringLiteral(", "));
        QString condition = m_conditions;
        for (const char* option : {"Duplex", "WhiteToPlay"})
            if (option[0] == 'D' ? m_duplex : m_whiteToPlay)
                condition +=
                    (condition.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1String(option);
        m_item.condition = condition;
        if (!m_options.isEmpty())
            note(QStringLiteral("option: %1 left out").arg(m_options));
        if (!m_hasBoard)
            note(QStringLiteral("board: no Pieces or Forsyth; the board is empty"));
        m_result.items.append(m_item);
        m_result.entries.append(m_number);
        m_inProblem = false;
    }

    // The words of one line from `at` on. The first word of a line (or of what follows
    // BeginProblem and NextProblem) may be a keyword cut to a unique prefix; elsewhere only a
    // keyword written out in full starts a new section.
    void readTokens(QStringView line, qsizetype at)
    {
        bool lineStart = true;
        QString ignored;
        auto flushIgnored = [&] {
            if (!ignored.isEmpty())
                note(QStringLiteral("\"%1\" not understood").arg(ignored));
            ignored.clear();
        };
        while (const std::optional<Token> next = nextToken(line, at)) {
            const QStringView token = next->text;
            const Keyword k = keywordOf(token, lineStart);
            lineStart = false;
            if (k == Keyword::None) {
                word(token, ignored);
                continue;
            }
            flushIgnored();
            const qsizetype after = next->end;
            m_section = Section::None;
            switch (k) {
            case Keyword::BeginProblem:
                if (m_item != Item() || m_hasBoard)
                    note(QStringLiteral("BeginProblem inside a problem ignored"));
                lineStart = true;
                break;
            case Keyword::EndProblem:
                finishProblem();
                if (nextToken(line, at))
                    m_result.report.addGeneral(
                        QStringLiteral("line %1: text after EndProblem ignored").arg(m_lineNumber));
                return;
            case Keyword::NextProblem:
                finishProblem();
                startProblem();
                lineStart = true;
                break;
            case Keyword::Author:
            case Keyword::Origin:
            case Keyword::Title:
            case Keyword::Award:
            case Keyword::Remark:
            case Keyword::Protocol:
            case Keyword::LaTeX:
            case Keyword::LaTeXPieces:
            case Keyword::LaTeXEnd:
            case Keyword::SStipulation:
                lineText(k, line.sliced(after).trimmed().toString());
                return;
            case Keyword::Twin:
            case Keyword::ZeroPosition: {
                // The words after the keyword as they stand, so that a line written from an
                // item reads back unchanged.
                QStringView text = line.sliced(after);
                while (!text.isEmpty() && text.back().isSpace())
                    text.chop(1);
                m_item.twins << (k == Keyword::Twin ? QStringLiteral("Twin")
                                                    : QStringLiteral("Zero")) +
                                    text.toString();
                m_section = Section::Twin;
                return;
            }
            case Keyword::Pieces:
                m_section = Section::Pieces;
                m_hasBoard = true;
                m_side.reset();
                m_specification = 0;
                break;
            case Keyword::Condition:
                m_section = Section::Condition;
                break;
            case Keyword::Option:
                m_section = Section::Option;
                break;
            case Keyword::Forsyth: {
                const std::optional<Token> word = nextToken(line, at);
                if (!word) {
                    note(QStringLiteral("board: Forsyth without a position"));
                    return;
                }
                const QStringView position = word->text;
                const ParsedPosition p = ParsePosition(position, PositionNotation::Forsyth);
                if (p.ok()) {
                    m_item.board = p.board;
                    m_hasBoard = true;
                } else {
                    note(QStringLiteral("board: Forsyth %1: %2").arg(position.toString(), p.error));
                }
                break;
            }
            case Keyword::Stipulation: {
                const std::optional<Token> word = nextToken(line, at);
                if (!word)
                    return;
                m_item.stipulation = word->text.toString();
                m_section = Section::Ignored;
                break;
            }
            case Keyword::None:
                break;
            }
        }
        if (!ignored.isEmpty())
            note(QStringLiteral("line %1: \"%2\" not understood").arg(m_lineNumber).arg(ignored));
    }

    // A keyword that takes the rest of its line as its text.
    void lineText(Keyword k, const QString& rest)
    {
        switch (k) {
        case Keyword::Author:
            m_authors << rest;
            return;
        case Keyword::Origin:
            m_sources << rest;
            return;
        case Keyword::Title:
            m_titles << rest;
            return;
        case Keyword::Award:
            m_awards << rest;
            return;
        case Keyword::Remark:
            note(QStringLiteral("remark \"%1\" left out").arg(rest));
            return;
        case Keyword::Protocol:
            note(QStringLiteral("protocol \"%1\" left out").arg(rest));
            return;
        case Keyword::SStipulation:
            note(QStringLiteral("stipulation: structured stipulation \"%1\" left out").arg(rest));
            return;
        default:
            note(QStringLiteral("LaTeX line left out"));
            return;
        }
    }

    // One word of the running section.
    void word(QStringView token, QString& ignored)
    {
        switch (m_section) {
        case Section::Pieces:
            if (!piece(token))
                addWord(ignored, token);
            break;
        case Section::Condition:
            if (!m_conditions.isEmpty())
                m_conditions += QLatin1Char(' ');
            m_conditions += token;
            break;
        case Section::Option:
            if (token.compare(QLatin1String("Duplex"), Qt::CaseInsensitive) == 0)
                m_duplex = true;
            else if (token.compare(QLatin1String("WhiteToPlay"), Qt::CaseInsensitive) == 0)
                m_whiteToPlay = true;
            else
                addWord(m_options, token);
            break;
        default:
            addWord(ignored, token);
            break;
        }
    }

    bool piece(QStringView token)
    {
        QString walk;
        QList<names::Square> squares;
        if (names::ParsePieceToken(token, walk, squares)) {
            if (!m_side) {
                note(QStringLiteral("board: %1 without a colour left out").arg(token.toString()));
                return true;
            }
            const int kind = names::KindOfWalk(walk);
            if (kind == 0) {
                note(QStringLiteral("board: walk \"%1\" of %2 has no FairyKinds row")
                         .arg(walk, token.toString()));
                return true;
            }
            const PieceCode code = names::CodeOf(*m_side, kind, m_specification);
            for (const names::Square& s : squares)
                m_item.board.at(s.row, s.column) = code;
            return true;
        }
        names::Side side;
        if (startsWithColour(token, side)) {
            m_side = side;
            m_specification = 0;
            return true;
        }
        if (const int s = names::SpecificationOfWord(token); s != 0) {
            if (m_specification != 0)
                note(QStringLiteral("board: second specification \"%1\" left out")
                         .arg(token.toString()));
            else
                m_specification = s;
            return true;
        }
        if (names::IsForeignAttribute(token)) {
            note(QStringLiteral("board: specification \"%1\" is not one of the rows")
                     .arg(token.toString()));
            return true;
        }
        return false;
    }

    ImportedItems& m_result;
    bool m_inProblem = false;
    bool m_reportedOutside = false;
    int m_number = 0;
    int m_lineNumber = 0;
    Item m_item;
    QStringList m_authors, m_sources, m_titles, m_awards;
    QString m_conditions, m_options;
    bool m_duplex = false, m_whiteToPlay = false, m_hasBoard = false;
    Section m_section = Section::None;
    std::optional<names::Side> m_side;
    int m_specification = 0;
};

QString decodeText(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        text = cp1252::decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace

bool IsPopeyeFile(QByteArrayView bytes)
{
    const QString head = decodeText(bytes.first(qMin<qsizetype>(bytes.size(), 256)));
    qsizetype at = 0;
    const std::optional<Token> first = nextToken(head, at);
    return first && first->text.compare(QLatin1String("BeginProblem"), Qt::CaseInsensitive) == 0;
}

ImportedItems ReadPopeyeFile(QByteArrayView bytes)
{
    ImportedItems result;
    result.entryWord = QStringLiteral("problem");
    ProblemReader reader(result);
    reader.read(decodeText(bytes));
    return result;
}

} // namespace vexil
