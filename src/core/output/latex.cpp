#include "output/latex.h"

#include "model/fairytext.h"
#include "model/piece.h"
#include "model/square.h"
#include "output/magazinefigures.h"
#include "output/twindiagrams.h"

#include <QRegularExpression>

namespace vexil {
namespace {

QChar colourLetter(const Piece& piece)
{
    return piece.isNeutral() ? QLatin1Char('n')
           : piece.isWhite() ? QLatin1Char('w')
                             : QLatin1Char('s');
}

QString sideName(const Piece& piece)
{
    return piece.isNeutral() ? QStringLiteral("neutral")
           : piece.isWhite() ? QStringLiteral("white")
                             : QStringLiteral("black");
}

// The piece's own name: "grasshopper", "royal queen"; markers and odd codes by their code.
QString pieceName(const Piece& piece)
{
    QString name;
    if (piece.isGrasshopper())
        name = QStringLiteral("grasshopper");
    else if (piece.isNightrider())
        name = QStringLiteral("nightrider");
    else if (piece.isFairy() && piece.hasKnownKind())
        name = KindName(piece.kind());
    else
        name = QStringLiteral("piece %1").arg(piece.code());
    const QString specification = SpecificationName(piece.specification());
    return specification.isEmpty() ? name : specification + QLatin1Char(' ') + name;
}

QString joinedLines(const QStringList& lines, const QString& separator)
{
    QStringList kept;
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty())
            kept << EscapeLatex(line.trimmed());
    return kept.join(separator);
}

void addCommand(QString& out, const char* command, const QString& argument)
{
    if (argument.trimmed().isEmpty())
        return;
    out += QLatin1String("  \\") + QLatin1String(command) + QLatin1Char('{') + argument +
           QLatin1String("}\n");
}

} // namespace

QString EscapeLatex(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '#':
        case '$':
        case '%':
        case '&':
        case '_':
        case '{':
        case '}':
            out += QLatin1Char('\\') + c;
            break;
        case '~':
            out += QLatin1String("\\textasciitilde{}");
            break;
        case '^':
            out += QLatin1String("\\textasciicircum{}");
            break;
        case '\\':
            out += QLatin1String("\\textbackslash{}");
            break;
        default:
            // Control characters (and the C1 codes Windows-1252 leaves undefined) would stop
            // LaTeX; they carry no text.
            out += c.category() == QChar::Other_Control ? QLatin1Char(' ') : c;
        }
    }
    return out;
}

QString LatexAuthors(const QString& authors)
{
    QStringList names;
    for (const QString& part : authors.split(QLatin1Char(';'))) {
        const QString name = part.simplified();
        if (name.isEmpty())
            continue;
        if (name.contains(QStringLiteral(", "))) {
            names << EscapeLatex(name);
            continue;
        }
        // The package splits every name at its first ", "; a name without one stops LaTeX.
        const qsizetype blank = name.lastIndexOf(QLatin1Char(' '));
        names << (blank < 0 ? EscapeLatex(name) + QStringLiteral(", {}")
                            : EscapeLatex(name.mid(blank + 1)) + QStringLiteral(", ") +
                                  EscapeLatex(name.left(blank)));
    }
    return names.join(QStringLiteral("; "));
}

SourceYear SplitSourceYear(const QString& source)
{
    static const QRegularExpression year(
        QStringLiteral("^(.*?)[\\s,;]*(?:^|(?<=[\\s,;]))((?:1[5-9]|20)\\d\\d)\\s*$"));
    const QRegularExpressionMatch m = year.match(source);
    if (!m.hasMatch())
        return {source, QString()};
    return {m.captured(1).trimmed(), m.captured(2)};
}

LatexBoard LatexBoardOf(const Board& board)
{
    LatexBoard out;
    QStringList pieces, turned;
    for (int r = 0; r < 8; ++r)
        for (int k = 0; k < 8; ++k) {
            const Piece piece(board.at(r, k));
            if (piece.isEmpty())
                continue;
            const QString square = Square{r, k}.name();
            if (piece.isMarker()) {
                out.markers << square;
                continue;
            }
            const std::optional<MagazineFigure> figure = MagazineFigureOf(piece.code());
            if (!figure) {
                const QString text =
                    QStringLiteral("%1 %2 %3").arg(sideName(piece), pieceName(piece), square);
                out.notDrawn << text;
                continue;
            }
            const QString token = colourLetter(piece) + figure->notation();
            pieces << token + square;
            const bool fairyFigure = figure->quarterTurns != 0 || !figure->shape();
            if (fairyFigure || piece.specification() != 0) {
                const QString named = (piece.specification() != 0 ? token + square : token) +
                                      QStringLiteral(" = ") + pieceName(piece);
                if (!turned.contains(named))
                    turned << named;
            }
        }
    out.pieces = pieces.join(QStringLiteral(", "));
    out.remark = turned;
    if (!out.notDrawn.isEmpty())
        out.remark << QStringLiteral("not in the diagram: ") +
                          out.notDrawn.join(QStringLiteral(", "));
    return out;
}

ExportedFile WriteLatex(const QList<Item>& items, const QList<int>& numbers,
                        const LatexOptions& options)
{
    ExportedFile file;
    QString out;
    if (options.wholeDocument)
        out += QStringLiteral("\\documentclass{article}\n"
                              "\\usepackage[utf8]{inputenc}\n"
                              "\\usepackage[T1]{fontenc}\n"
                              "\\usepackage{textcomp}\n"
                              // Outline fonts where the site has them: sharp in print, and
                              // the PDF's text can be searched and copied.
                              "\\IfFileExists{lmodern.sty}{\\usepackage{lmodern}}{}\n"
                              "\\usepackage{diagram}\n"
                              "\\begin{document}\n");
    // Two diagrams across the page: every other one is followed by a fill, the rest by a gap.
    int placed = 0;
    auto separate = [&](bool more) {
        out += placed % 2 == 0 && more ? QStringLiteral("\\hfill\n")
                                       : QStringLiteral("\n\\medskip\n\n");
        ++placed;
    };
    auto reportBoard = [&](int number, const QString& label, const LatexBoard& board) {
        for (const QString& missing : board.notDrawn)
            file.report.add(number, label,
                            missing + QStringLiteral(": no figure in the LaTeX package, named in "
                                                     "the remark"));
        for (const QString& square : board.markers)
            file.report.add(number, label,
                            QStringLiteral("marker %1: the LaTeX package has no sign for it, "
                                           "left out")
                                .arg(square));
    };
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        const int number = i < numbers.size() ? numbers[i] : int(i) + 1;
        const QString label = QStringLiteral("item %1").arg(number);
        const LatexBoard board = LatexBoardOf(item.board);
        reportBoard(number, label, board);
        const SourceYear source = SplitSourceYear(item.source.trimmed());
        out += QStringLiteral("\\begin{diagram}\n");
        out += QStringLiteral("  \\specialdiagnum{%1}\n").arg(number);
        addCommand(out, "author", LatexAuthors(item.author));
        addCommand(out, "source", EscapeLatex(source.source));
        addCommand(out, "year", source.year);
        // An empty list stops the package; without the command the board is empty.
        addCommand(out, "pieces", board.pieces);
        addCommand(out, "stipulation", EscapeLatex(item.stipulation.trimmed()));
        addCommand(out, "condition", EscapeLatex(item.condition.trimmed()));
        addCommand(out, "twins", joinedLines(item.twins, QStringLiteral("; ")));
        addCommand(out, "remark", EscapeLatex(board.remark.join(QStringLiteral("; "))));
        addCommand(out, "solution", joinedLines(item.solution, QStringLiteral(" \\newline ")));
        out += QStringLiteral("\\end{diagram}\n");
        const QList<TwinDiagram> twins =
            options.twinDiagrams ? TwinDiagramsOf(item) : QList<TwinDiagram>();
        separate(!twins.isEmpty() || i + 1 < items.size());
        for (qsizetype t = 0; t < twins.size(); ++t) {
            const TwinDiagram& twin = twins[t];
            const QString twinNumber = QString::number(number) + twin.label;
            const bool more = t + 1 < twins.size() || i + 1 < items.size();
            if (!twin.error.isEmpty()) {
                // No position to typeset: the reason stands where its diagram would.
                out += QStringLiteral("\\parbox[b]{0.45\\textwidth}{\\textbf{%1} %2:\\newline "
                                      "%3}\n")
                           .arg(QString::number(number), EscapeLatex(twin.caption),
                                EscapeLatex(twin.error));
                file.report.add(number, label,
                                twin.caption + QStringLiteral(": ") + twin.error +
                                    QStringLiteral(" (written in place of its diagram)"));
                separate(more);
                continue;
            }
            const LatexBoard twinBoard = LatexBoardOf(twin.board);
            reportBoard(number, label + u' ' + twin.label + u')', twinBoard);
            out += QStringLiteral("\\begin{diagram}\n");
            out += QStringLiteral("  \\specialdiagnum{%1}\n").arg(twinNumber);
            addCommand(out, "pieces", twinBoard.pieces);
            addCommand(out, "stipulation", EscapeLatex(twin.stipulation));
            addCommand(out, "condition", EscapeLatex(twin.condition));
            addCommand(
                out, "remark",
                EscapeLatex(
                    (QStringList{twin.caption} << twinBoard.remark).join(QStringLiteral("; "))));
            out += QStringLiteral("\\end{diagram}\n");
            separate(more);
        }
    }
    if (options.wholeDocument)
        out += QStringLiteral("\\clearpage\n\\putsol\n\\end{document}\n");
    file.bytes = out.toUtf8();
    return file;
}

} // namespace vexil
