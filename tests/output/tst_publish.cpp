#include "model/cp1252.h"
#include "model/failure.h"
#include "model/fairytext.h"
#include "model/piece.h"
#include "model/sampleitems.h"
#include "output/booklet.h"
#include "output/latex.h"
#include "output/magazinefigures.h"
#include "svg/diagramsvg.h"
#include "output/runprogram.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace vexil;

namespace {

// Every fairy kind once, on as many items as it takes, sides and a specification mixed in.
QList<Item> everyFairyKind()
{
    QList<Item> items;
    for (int kind = 1; kind <= piece::kKindCount; ++kind) {
        const int slot = (kind - 1) % 32;
        if (slot == 0) {
            Item item;
            item.author = QStringLiteral("Kind Author %1").arg(items.size() + 1);
            item.source = QStringLiteral("Fairy Review %1").arg(1990 + items.size());
            item.stipulation = QStringLiteral("h#2");
            item.condition = QStringLiteral("Circe");
            item.twins = {QStringLiteral("b) -wKe1")};
            item.solution = {QStringLiteral("1.Ka1 Kb2 2.Kc3 Kd4#"), QString(),
                             QStringLiteral("2nd line")};
            items << item;
        }
        const int base = 17 + kind % 3;
        items.last().board.at(slot / 8 * 2, slot % 8) =
            piece::make(base, kind, kind % 7 == 0 ? 5 : 0);
    }
    return items;
}

} // namespace

class TestPublish : public QObject {
    Q_OBJECT
private slots:
    void magazineFigures_data();
    void magazineFigures();
    void everyKindDrawnOrNamed();
    void markersReported();
    void escaping_data();
    void escaping();
    void authors_data();
    void authors();
    void sourceYear_data();
    void sourceYear();
    void svgDiagram_data();
    void svgDiagram();
    void booklet_data();
    void booklet();
    void bookletStopped();
    void latexCompiles_data();
    void latexCompiles();
};

void TestPublish::magazineFigures_data()
{
    QTest::addColumn<PieceCode>("code");
    QTest::addColumn<QString>("token"); // empty: no figure
    QTest::newRow("white king") << PieceCode(11) << "K";
    QTest::newRow("black pawn") << PieceCode(2) << "B";
    QTest::newRow("grasshopper base") << PieceCode(14) << "DU";
    QTest::newRow("nightrider base") << PieceCode(15) << "SU";
    QTest::newRow("fairy grasshopper") << piece::make(18, 40, 0) << "DU";
    QTest::newRow("fairy nightrider") << piece::make(17, 62, 0) << "SU";
    QTest::newRow("neutral king kind") << piece::make(19, 50, 0) << "K";
    QTest::newRow("royal queen kind keeps its figure") << piece::make(17, 73, 5) << "D";
    QTest::newRow("equihopper") << piece::make(17, 37, 0) << "E";
    QTest::newRow("amazon: none") << piece::make(17, 8, 0) << "";
    QTest::newRow("unknown kind: none") << piece::make(17, 200, 0) << "";
    QTest::newRow("marker: none") << PieceCode(21) << "";
}

void TestPublish::magazineFigures()
{
    QFETCH(PieceCode, code);
    QFETCH(QString, token);
    const std::optional<MagazineFigure> figure = MagazineFigureOf(code);
    QCOMPARE(figure ? figure->notation() : QString(), token);
}

void TestPublish::everyKindDrawnOrNamed()
{
    // Each kind on each side: in \pieces with a figure, or named in the remark and the report.
    for (int base = 17; base <= 19; ++base)
        for (int kind = 1; kind <= piece::kKindCount; ++kind) {
            Item item;
            item.board.at(3, 3) = piece::make(base, kind, 0);
            const ExportedFile file = WriteLatex({item}, {7}, {});
            const QString text = QString::fromUtf8(file.bytes);
            const QString name = KindName(kind);
            const std::optional<MagazineFigure> figure = MagazineFigureOf(item.board.at(3, 3));
            const QString context = QStringLiteral("kind %1 %2").arg(kind).arg(name);
            if (figure) {
                QVERIFY2(text.contains(figure->notation() + QStringLiteral("d5}")),
                         qPrintable(context));
                QVERIFY2(file.report.isEmpty(), qPrintable(context));
                // A turned figure is explained; an orthodox one needs no word.
                QCOMPARE(text.contains(QStringLiteral("\\remark")),
                         figure->quarterTurns != 0 || !figure->shape());
            } else {
                QVERIFY2(!text.contains(QStringLiteral("\\pieces")), qPrintable(context));
                QVERIFY2(text.contains(EscapeLatex(name) + QStringLiteral(" d5")),
                         qPrintable(context));
                QCOMPARE(file.report.notes().size(), 1);
                QCOMPARE(file.report.notes().first().entry, 7);
                QVERIFY2(file.report.text().contains(name), qPrintable(context));
            }
        }
}

void TestPublish::markersReported()
{
    Item item;
    item.board.at(7, 0) = 21; // a marker on a1
    item.board.at(0, 7) = 11; // wKh8
    const ExportedFile file = WriteLatex({item}, {3}, {});
    QVERIFY(QString::fromUtf8(file.bytes).contains(QStringLiteral("\\pieces{wKh8}")));
    QCOMPARE(file.report.notes().size(), 1);
    QVERIFY(file.report.lines().first().startsWith(QStringLiteral("item 3: marker a1")));
}

void TestPublish::escaping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("latex");
    QTest::newRow("plain") << "1.Qd4! zz"
                           << "1.Qd4! zz";
    QTest::newRow("mate and friends") << "#2 $5 50% R&D a_b"
                                      << "\\#2 \\$5 50\\% R\\&D a\\_b";
    QTest::newRow("braces") << "{x}"
                            << "\\{x\\}";
    QTest::newRow("tilde caret backslash")
        << "~^\\"
        << "\\textasciitilde{}\\textasciicircum{}\\textbackslash{}";
    QTest::newRow("control characters") << QString("a\tb") + QChar(0x81) << "a b ";
    QTest::newRow("Windows-1252 letters stay") << "Kovačević – „é“ €"
                                               << "Kovačević – „é“ €";
}

void TestPublish::escaping()
{
    QFETCH(QString, text);
    QFETCH(QString, latex);
    QCOMPARE(EscapeLatex(text), latex);
}

void TestPublish::authors_data()
{
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("latex");
    QTest::newRow("given family") << "W. A. Shinkman"
                                  << "Shinkman, W. A.";
    QTest::newRow("family, given kept") << "Brand, Thomas"
                                        << "Brand, Thomas";
    QTest::newRow("several") << "Brand, Thomas; Sam Loyd"
                             << "Brand, Thomas; Loyd, Sam";
    QTest::newRow("one word") << "Anonymous"
                              << "Anonymous, {}";
    QTest::newRow("escaped") << "A_B & C"
                             << "C, A\\_B \\&";
    QTest::newRow("empty parts") << " ; Loyd ;"
                                 << "Loyd, {}";
}

void TestPublish::authors()
{
    QFETCH(QString, author);
    QFETCH(QString, latex);
    QCOMPARE(LatexAuthors(author), latex);
}

void TestPublish::sourceYear_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("year");
    QTest::newRow("year at the end") << "The Problemist 2001"
                                     << "The Problemist"
                                     << "2001";
    QTest::newRow("after a comma") << "Die Schwalbe, 1985"
                                   << "Die Schwalbe"
                                   << "1985";
    QTest::newRow("year alone") << "1921"
                                << ""
                                << "1921";
    QTest::newRow("trailing blanks") << "feenschach 1975  "
                                     << "feenschach"
                                     << "1975";
    QTest::newRow("no year") << "American Chess Bulletin"
                             << "American Chess Bulletin"
                             << "";
    QTest::newRow("number, not a year") << "Problem 12345"
                                        << "Problem 12345"
                                        << "";
    QTest::newRow("month/year stays") << "Schach 12/1985"
                                      << "Schach 12/1985"
                                      << "";
    QTest::newRow("issue number") << "Tidskrift 45"
                                  << "Tidskrift 45"
                                  << "";
}

void TestPublish::sourceYear()
{
    QFETCH(QString, source);
    QFETCH(QString, plain);
    QFETCH(QString, year);
    QCOMPARE(SplitSourceYear(source), (SourceYear{plain, year}));
}

// What an SVG holds, element by element.
struct SvgContent {
    bool valid = false;
    int paths = 0;
    int texts = 0;
    int images = 0;
    QSet<QString> fills;
};

SvgContent readSvg(const QByteArray& bytes)
{
    SvgContent content;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("path"))
            ++content.paths;
        if (xml.name() == QLatin1String("text"))
            ++content.texts;
        if (xml.name() == QLatin1String("image"))
            ++content.images;
        if (a.hasAttribute(QLatin1String("fill")))
            content.fills << a.value(QLatin1String("fill")).toString().toLower();
    }
    content.valid = !xml.hasError();
    return content;
}

void TestPublish::svgDiagram_data()
{
    QTest::addColumn<PieceCode>("code");
    QTest::addColumn<int>("fairy"); // FairyDrawing
    QTest::addColumn<bool>("sameAsGeneric");
    QTest::newRow("king") << PieceCode(11) << int(FairyDrawing::Magazine) << true;
    QTest::newRow("grasshopper kind, turned queen")
        << piece::make(17, 40, 0) << int(FairyDrawing::Magazine) << false;
    QTest::newRow("amazon: generic either way")
        << piece::make(18, 8, 0) << int(FairyDrawing::Magazine) << true;
    QTest::newRow("neutral lion, turned")
        << piece::make(19, 56, 0) << int(FairyDrawing::Magazine) << false;
    QTest::newRow("marker") << PieceCode(20) << int(FairyDrawing::Generic) << true;
}

void TestPublish::svgDiagram()
{
    QFETCH(PieceCode, code);
    QFETCH(int, fairy);
    QFETCH(bool, sameAsGeneric);
    const DiagramColours colours{QColor(255, 255, 255), QColor(0x12, 0x34, 0x56)};
    Board board;
    const SvgContent empty = readSvg(DiagramSvg(board, {colours}, 218));
    board.at(4, 4) = code;
    const QByteArray bytes = DiagramSvg(board, {colours, FairyDrawing(fairy)}, 300);
    const SvgContent shown = readSvg(bytes);
    QVERIFY(empty.valid && shown.valid);
    // Figures and labels are paths: nothing to render from a font, no bitmap.
    QCOMPARE(shown.texts, 0);
    QCOMPARE(shown.images, 0);
    QVERIFY(shown.paths > empty.paths);
    QVERIFY(shown.fills.contains(QStringLiteral("#123456")));
    const QByteArray generic = DiagramSvg(board, {colours, FairyDrawing::Generic}, 300);
    QCOMPARE(bytes == generic, sameAsGeneric);
    // The title comes from the item's texts, whatever they hold.
    QVERIFY(
        readSvg(DiagramSvg(board, {colours}, 218, QStringLiteral("A & B <c> \"#2\"\x01"))).valid);
}

void TestPublish::booklet_data()
{
    QTest::addColumn<int>("page"); // QPageSize::PageSizeId
    QTest::addColumn<int>("across");
    QTest::addColumn<bool>("solutionsAtEnd");
    QTest::addColumn<QString>("pageSize"); // as pdfinfo names it
    QTest::newRow("A4, two across, solutions at the end")
        << int(QPageSize::A4) << 2 << true << "(A4)";
    QTest::newRow("Letter, three across, solutions under the diagrams")
        << int(QPageSize::Letter) << 3 << false << "(letter)";
}

void TestPublish::booklet()
{
    QFETCH(int, page);
    QFETCH(int, across);
    QFETCH(bool, solutionsAtEnd);
    QFETCH(QString, pageSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("booklet.pdf"));
    const QList<Item> items = test::sampleItems();
    BookletOptions options;
    options.page = QPageSize::PageSizeId(page);
    options.across = across;
    options.solutionsAtEnd = solutionsAtEnd;
    QList<int> seen;
    QVERIFY(WriteBooklet(path, items, {}, options, [&](int done, int total) {
        seen << done;
        return total == items.size();
    }));
    QCOMPARE(seen.last(), int(items.size()));

    const QString info = test::RunProgram(QStringLiteral("pdfinfo"), {path}, dir.path());
    QVERIFY2(info.contains(pageSize), qPrintable(info));
    // Compatibility forms undo the ligatures ("fi") the text is extracted with.
    const QString text =
        test::RunProgram(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}, dir.path())
            .normalized(QString::NormalizationForm_KC);
    for (const Item& item : items)
        for (const QString& author : AuthorsOf(item.author))
            QVERIFY2(text.contains(author), qPrintable(author));
    // The solution of the first item: on the first page under its diagram, else at the end.
    const QString first = items.first().solution.first();
    const QString firstPage = test::RunProgram(
        QStringLiteral("pdftotext"),
        {QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")}, dir.path());
    QCOMPARE(firstPage.contains(first), !solutionsAtEnd);
    QVERIFY(text.contains(first));
    // Every page carries its number.
    const int pages =
        info.section(QStringLiteral("Pages:"), 1).simplified().section(' ', 0, 0).toInt();
    QVERIFY(pages > 1);
    const QStringList pageTexts = text.split(QLatin1Char('\f'));
    for (int n = 1; n <= pages; ++n)
        QVERIFY2(pageTexts[n - 1].split(QLatin1Char('\n')).contains(QString::number(n)),
                 qPrintable(pageTexts[n - 1]));
}

void TestPublish::bookletStopped()
{
    // Stopped half way: the file that was there stays as it was.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("booklet.pdf"));
    test::writeBytes(path, "before");
    QVERIFY(
        !WriteBooklet(path, test::sampleItems(), {}, {}, [](int done, int) { return done < 4; }));
    QCOMPARE(test::fileBytes(path), QByteArray("before"));
    QVERIFY_THROWS_EXCEPTION(Failure, WriteBooklet(dir.filePath(QStringLiteral("no/such/x.pdf")),
                                                   test::sampleItems(), {}, {}));
}

void TestPublish::latexCompiles_data()
{
    QTest::addColumn<QList<Item>>("items");
    QTest::addColumn<bool>("wholeDocument");
    QTest::addColumn<bool>("twinDiagrams");
    QTest::newRow("sample collection") << test::sampleItems() << true << false;
    QTest::newRow("sample collection with the twins' diagrams")
        << test::sampleItems() << true << true;
    QTest::newRow("diagrams only, input by a document of the user's")
        << test::sampleItems() << false << true;
    QList<Item> fairy = everyFairyKind();
    // Every character LaTeX treats specially, in every field.
    fairy.first().author = QStringLiteral("Ša_mé & {Co} 100% #1 ~^\\ $");
    fairy.first().source = QStringLiteral("Ša_mé & {Co} 100% #1 ~^\\ $ 1999");
    fairy.first().condition = fairy.first().author;
    fairy.first().twins << fairy.first().author;
    fairy.first().solution << fairy.first().author;
    // Every byte a collection can hold, control characters included.
    QByteArray bytes;
    for (int b = 1; b < 256; ++b)
        bytes += char(b);
    fairy.first().solution << cp1252::decode(bytes);
    fairy.last().author = cp1252::decode(bytes.mid(0xA0));
    QTest::newRow("every fairy kind") << fairy << true << true;
}

void TestPublish::latexCompiles()
{
    QFETCH(QList<Item>, items);
    QFETCH(bool, wholeDocument);
    QFETCH(bool, twinDiagrams);
    if (QStandardPaths::findExecutable(QStringLiteral("pdflatex")).isEmpty())
        QSKIP("pdflatex is not installed (scripts/setup.sh --test installs it)");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const ExportedFile file = WriteLatex(items, {}, {wholeDocument, twinDiagrams});
    if (wholeDocument) {
        test::writeBytes(dir.filePath(QStringLiteral("items.tex")), file.bytes);
    } else {
        QVERIFY(!file.bytes.contains("\\documentclass"));
        test::writeBytes(dir.filePath(QStringLiteral("diagrams.tex")), file.bytes);
        test::writeBytes(dir.filePath(QStringLiteral("items.tex")),
                         "\\documentclass{article}\n\\usepackage[utf8]{inputenc}\n"
                         "\\usepackage[T1]{fontenc}\n\\usepackage{lmodern}\n"
                         "\\usepackage{diagram}\n\\begin{document}\n\\input{diagrams}\n"
                         "\\putsol\n\\end{document}\n");
    }
    int code = 0;
    const QString log =
        test::RunProgram(QStringLiteral("pdflatex"),
                         {QStringLiteral("-interaction=nonstopmode"),
                          QStringLiteral("-halt-on-error"), QStringLiteral("items.tex")},
                         dir.path(), &code);
    // TeX's own error lines start with "!".
    const qsizetype error = log.indexOf(QStringLiteral("\n!"));
    QVERIFY2(code == 0, qPrintable(error < 0 ? log.right(2000) : log.mid(error, 800)));
    const QString text =
        test::RunProgram(QStringLiteral("pdftotext"),
                         {QStringLiteral("items.pdf"), QStringLiteral("-")}, dir.path());
    // Compatibility forms undo the ligatures ("fi") that the typeset text is extracted with.
    const QString flat = text.normalized(QString::NormalizationForm_KC);
    for (const Item& item : items) {
        if (item.author.trimmed().isEmpty())
            continue;
        // Letters only: the typeset text spaces and hyphenates them its own way.
        QString letters;
        for (const QChar c : item.author)
            if (c.isLetter() && c.unicode() < 0x80)
                letters += c;
        QString found;
        for (const QChar c : flat)
            if (c.isLetter() && c.unicode() < 0x80)
                found += c;
        QVERIFY2(found.contains(letters), qPrintable(item.author));
    }
}

QTEST_MAIN(TestPublish)
#include "tst_publish.moc"
