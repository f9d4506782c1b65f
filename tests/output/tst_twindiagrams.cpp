#include "model/collection.h"
#include "model/typedpieces.h"
#include "output/booklet.h"
#include "output/diagram.h"
#include "output/itemtext.h"
#include "output/latex.h"
#include "output/printlayout.h"
#include "output/twindiagrams.h"
#include "output/runprogram.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexil;

namespace {

Board boardOf(const QString& pieces)
{
    Board board;
    for (const TypedPiece& p : ParseTypedPieces(pieces).pieces)
        board.at(p.row, p.column) = p.code;
    return board;
}

Item itemWith(const QStringList& twins)
{
    Item item;
    item.author = QStringLiteral("Twin Author");
    item.source = QStringLiteral("Vexil research 2026");
    item.board = boardOf(QStringLiteral("wKh4 wBa4 wRg6 bKc1 bRf5 bPh3 bPc4"));
    item.stipulation = QStringLiteral("h#2");
    item.twins = twins;
    item.solution = {QStringLiteral("1.Rf5-f4 Rg6-g1 2.Rf4-c4 Ba4-b3#")};
    return item;
}

// The pieces of a text's side list as a set, in whatever order the list writes them.
QSet<QString> sideSet(const QString& pieces, QChar side)
{
    QSet<QString> out;
    for (const QString& token : pieces.split(u' ', Qt::SkipEmptyParts))
        if (token.startsWith(side))
            out << token.mid(1);
    return out;
}

} // namespace

class TestTwinDiagrams : public QObject {
    Q_OBJECT
private slots:
    void twinsShown_data();
    void twinsShown();
    void textPositions();
    void latex_data();
    void latex();
    void booklet_data();
    void booklet();
    void sheet();
    void fittedCaption_data();
    void fittedCaption();
    void printLayout_data();
    void printLayout();
};

// Which twins the outputs add, with what caption, or the reason a twin has no diagram.
void TestTwinDiagrams::twinsShown_data()
{
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("no twins") << QStringList() << QStringList() << QStringList();
    QTest::newRow("moves, continued, stipulation")
        << QStringList{"Twin Move g6 g7", "Twin Cont Remove c4", "Twin Stipulation h#1"}
        << QStringList{"b) wRg6-->g7", "+c) -bPc4", "d) h#1"} << QStringList{"", "", ""};
    QTest::newRow("a shift off the board and an empty square")
        << QStringList{"Twin Shift a1 a8", "Twin Remove e5", "Twin Rotate 90"}
        << QStringList{"b) Twin Shift a1 a8", "c) Twin Remove e5", "d) rotate 90"}
        << QStringList{"A piece will be moved outside.",
                       "e5: square is empty - cannot (re)move any piece.", ""};
    QTest::newRow("zero position: a) is a twin too")
        << QStringList{"Zero Remove c4", "Twin Move g6 g7"}
        << QStringList{"a) -bPc4", "b) wRg6-->g7"} << QStringList{"", ""};
}

void TestTwinDiagrams::twinsShown()
{
    QFETCH(QStringList, twins);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, errors);
    QStringList gotCaptions, gotErrors;
    for (const TwinDiagram& twin : TwinDiagramsOf(itemWith(twins))) {
        gotCaptions << twin.caption;
        gotErrors << twin.error;
    }
    QCOMPARE(gotCaptions, captions);
    QCOMPARE(gotErrors, errors);
}

// The text gives each twin's position after the twin lines; without the option it is the
// text it always was.
void TestTwinDiagrams::textPositions()
{
    const Item item = itemWith({"Twin Move g6 g7", "Twin Shift a1 a8"});
    const QStringList fairy{QStringLiteral("pieces=")};
    const QStringList plain = ItemText(item, fairy);
    QCOMPARE(plain.size(), 4 + item.twins.size() + fairy.size() + item.solution.size());
    for (bool notation : {false, true}) {
        const QStringList off = notation ? ItemTextNotation(item, fairy) : plain;
        const QStringList on =
            notation ? ItemTextNotation(item, fairy, true) : ItemText(item, fairy, true);
        // Everything of the text without twins stays, in its order.
        QStringList kept = on;
        const qsizetype b = on.indexOf(QStringLiteral("b) wRg6-->g7"));
        QVERIFY(b > 0);
        const qsizetype c = on.indexOf(QStringLiteral("c) Twin Shift a1 a8"));
        QCOMPARE(c, b + 4);
        kept.remove(b, c + 2 - b);
        QCOMPARE(kept, off);
        // b): the rook on g7, everything else where the diagram has it.
        QVERIFY(on[b + 1].startsWith(u"White "));
        QCOMPARE(sideSet(on[b + 1].mid(6), u'K') + sideSet(on[b + 1].mid(6), u'B') +
                     sideSet(on[b + 1].mid(6), u'R'),
                 (QSet<QString>{"h4", "a4", "g7"}));
        QVERIFY(on[b + 2].startsWith(u"Black "));
        QVERIFY(on[b + 3].startsWith(u"h#2 ( 3 + 4 )"));
        // c) could not be built: the reason, no position.
        QCOMPARE(on[c + 1], QStringLiteral("A piece will be moved outside."));
    }
}

void TestTwinDiagrams::latex_data()
{
    QTest::addColumn<QList<Item>>("items");
    QTest::addColumn<bool>("twinDiagrams");
    QTest::addColumn<int>("diagrams");
    QTest::addColumn<QStringList>("reasons"); // written in place of a diagram
    const QList<Item> items{
        itemWith({"Twin Move g6 g7", "Twin Cont Remove c4", "Twin Condition Circe"}), itemWith({}),
        itemWith({"Twin Shift a1 a8", "Twin Mirror a1<-->h1"})};
    QTest::newRow("off: one diagram per item") << items << false << 3 << QStringList();
    QTest::newRow("on: one more per twin")
        << items << true << 3 + 3 + 1 << QStringList{"A piece will be moved outside."};
}

void TestTwinDiagrams::latex()
{
    QFETCH(QList<Item>, items);
    QFETCH(bool, twinDiagrams);
    QFETCH(int, diagrams);
    QFETCH(QStringList, reasons);
    LatexOptions options;
    options.twinDiagrams = twinDiagrams;
    const ExportedFile file = WriteLatex(items, {}, options);
    const QString tex = QString::fromUtf8(file.bytes);
    QCOMPARE(int(tex.count(QStringLiteral("\\begin{diagram}"))), diagrams);
    if (!twinDiagrams)
        QCOMPARE(file.bytes, WriteLatex(items, {}, LatexOptions()).bytes);
    else
        QVERIFY(tex.contains(QStringLiteral("\\specialdiagnum{1b}")));
    for (const QString& reason : reasons) {
        QVERIFY2(tex.contains(reason), qPrintable(tex));
        QVERIFY(file.report.text().contains(reason));
    }

    if (QStandardPaths::findExecutable(QStringLiteral("pdflatex")).isEmpty())
        QSKIP("pdflatex is not installed (scripts/setup.sh --test installs it)");
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("twins.tex")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file.bytes);
    out.close();
    int code = 0;
    const QString log =
        test::RunProgram(QStringLiteral("pdflatex"),
                         {QStringLiteral("-interaction=nonstopmode"),
                          QStringLiteral("-halt-on-error"), QStringLiteral("twins.tex")},
                         dir.path(), &code);
    const qsizetype error = log.indexOf(QStringLiteral("\n!"));
    QVERIFY2(code == 0, qPrintable(error < 0 ? log.right(2000) : log.mid(error, 800)));
    if (qEnvironmentVariableIsSet("VEXIL_SAVE_PICTURES") && twinDiagrams)
        QFile::copy(dir.filePath(QStringLiteral("twins.pdf")),
                    qEnvironmentVariable("VEXIL_SAVE_PICTURES") + QStringLiteral("/latex.pdf"));
    const QString text =
        test::RunProgram(QStringLiteral("pdftotext"),
                         {QStringLiteral("twins.pdf"), QStringLiteral("-")}, dir.path());
    // Each twin's diagram carries its number, the reason stands where a diagram could not.
    for (const QString& number : {"1b", "1c", "1d", "3c"})
        QCOMPARE(text.contains(number), twinDiagrams);
    for (const QString& reason : reasons)
        QVERIFY2(text.simplified().contains(reason), qPrintable(text));
}

void TestTwinDiagrams::booklet_data()
{
    QTest::addColumn<int>("across");
    QTest::addColumn<bool>("twinDiagrams");
    QTest::newRow("off") << 2 << false;
    QTest::newRow("two across") << 2 << true;
    QTest::newRow("three across") << 3 << true;
}

// The booklet draws every twin's diagram labelled under its item, page breaks included.
void TestTwinDiagrams::booklet()
{
    QFETCH(int, across);
    QFETCH(bool, twinDiagrams);
    QList<Item> items;
    for (int i = 0; i < 4; ++i)
        items << itemWith({"Twin Move g6 g7", "Twin Cont Remove c4", "Twin Stipulation h#1",
                           "Twin Rotate 90", "Twin Shift a1 a8"});
    items << itemWith({}) << itemWith({"Twin Mirror a1<-->h1"});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twins.pdf"));
    BookletOptions options;
    options.across = across;
    options.twinDiagrams = twinDiagrams;
    QVERIFY(WriteBooklet(path, items, {}, options));
    if (qEnvironmentVariableIsSet("VEXIL_SAVE_PICTURES"))
        QFile::copy(path, qEnvironmentVariable("VEXIL_SAVE_PICTURES") +
                              QStringLiteral("/booklet-%1-%2.pdf").arg(across).arg(twinDiagrams));
    const QString text =
        test::RunProgram(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}, dir.path());
    QVERIFY2(text.contains(QStringLiteral("Twin Author")), qPrintable(text));
    const QStringList captions{
        "b) wRg6-->g7",      "+c) -bPc4",           "d) h#1",
        "e) rotate 90",      "f) Twin Shift a1 a8", "A piece will be moved outside.",
        "b) mirror a1<-->h1"};
    // Every item's twins: four items share the captions, so each is counted.
    // A caption wider than its diagram wraps, at a blank or after a dash, and the text
    // extracted joins the lines again its own way: compared without either.
    auto flat = [](QString t) { return t.remove(QRegularExpression(QStringLiteral("[\\s-]"))); };
    for (const QString& caption : captions) {
        const int expected = caption.startsWith(u"b) m") ? 1 : 4;
        QCOMPARE(int(flat(text).count(flat(caption))), twinDiagrams ? expected : 0);
    }
    if (twinDiagrams) {
        // Pages are whole: the last item's twin is on a page of its own numbers, not lost.
        const QStringList pages = text.split(u'\f');
        int page = 0;
        while (page < pages.size() && !flat(pages[page]).contains(flat(captions.last())))
            ++page;
        QVERIFY(page > 0 && page < pages.size());
    }
}

// The clipboard's picture: the item's diagram as it always was, then each twin's.
void TestTwinDiagrams::sheet()
{
    const Item item = itemWith({"Twin Move g6 g7", "Twin Shift a1 a8", "Twin Rotate 90",
                                "Twin Rotate 180", "Twin Mirror a1<-->h1"});
    const QList<TwinDiagram> twins = TwinDiagramsOf(item);
    const DiagramStyle style{StandardDiagramColours(), FairyDrawing::Generic};
    for (int square : {27, 25}) {
        const QImage sheet = TwinSheetBitmap(item.board, twins, square, style);
        const int side = DiagramSide(square);
        // Six diagrams, four across: two rows.
        QCOMPARE(sheet.width(), 4 * side + 3 * 8);
        QVERIFY(sheet.height() > 2 * side);
        PictureSet none;
        FairyPictures noFairy;
        const QImage own =
            DiagramBitmap(item.board, square, StandardDiagramColours(), none, noFairy);
        QCOMPARE(sheet.copy(0, 0, side, side).convertToFormat(QImage::Format_RGB32),
                 own.convertToFormat(QImage::Format_RGB32));
        // b): the same as the diagram of the twin's position.
        const QImage b =
            DiagramBitmap(twins[0].board, square, StandardDiagramColours(), none, noFairy);
        QCOMPARE(sheet.copy(side + 8, 0, side, side).convertToFormat(QImage::Format_RGB32),
                 b.convertToFormat(QImage::Format_RGB32));
        // c) could not be built: no squares drawn, but its reason in the frame.
        const QImage c = sheet.copy(2 * (side + 8), 0, side, side);
        int silver = 0, ink = 0;
        for (int y = 2; y < side - 2; ++y)
            for (int x = 2; x < side - 2; ++x) {
                const QRgb px = c.pixel(x, y);
                silver += px == qRgb(192, 192, 192);
                ink += qGray(px) < 100;
            }
        // Anti-aliased letters may touch the squares' grey here and there; a board is
        // thousands of such pixels.
        QVERIFY2(silver < side, qPrintable(QString::number(silver)));
        QVERIFY(ink > 50);
    }
    if (qEnvironmentVariableIsSet("VEXIL_SAVE_PICTURES"))
        TwinSheetBitmap(item.board, twins, 27, style)
            .save(qEnvironmentVariable("VEXIL_SAVE_PICTURES") + QStringLiteral("/sheet.png"));
}

void TestTwinDiagrams::fittedCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("whole");
    QTest::newRow("short") << "b) wRg6-->g7" << true;
    QTest::newRow("two lines") << "b) -wRg6  +bQg6  rotate 90" << true;
    QTest::newRow("longer than two lines")
        << "b) -wRg6  +bQg6  rotate 90  mirror a1<-->h1  shift a1 ==> b2  PolishType  h#3" << false;
    QTest::newRow("one long word") << QString(60, u'x') << false;
}

// A caption stays within its two lines under a small diagram: whole, or cut and marked so.
void TestTwinDiagrams::fittedCaption()
{
    QFETCH(QString, caption);
    QFETCH(bool, whole);
    QFont font = DiagramLabelFont();
    const QFontMetricsF metrics(font);
    const qreal width = DiagramSide(27);
    const QString fitted = FittedCaption(caption, metrics, width);
    QCOMPARE(fitted == caption, whole);
    if (!whole)
        QVERIFY2(fitted.endsWith(QChar(0x2026)) && fitted.size() > 10, qPrintable(fitted));
    QVERIFY(metrics.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, fitted).height() <=
            2 * metrics.lineSpacing() + 0.5);
}

void TestTwinDiagrams::printLayout_data()
{
    QTest::addColumn<int>("twins");
    QTest::addColumn<int>("pages");
    QTest::newRow("none") << 0 << 1;
    QTest::newRow("one row") << 3 << 1;
    QTest::newRow("rows over two pages") << 20 << 2;
}

// The twins' diagrams go under the item's, left of the text column, never off the page and
// never over one another or the item's own texts.
void TestTwinDiagrams::printLayout()
{
    QFETCH(int, twins);
    QFETCH(int, pages);
    const PrintScale scale = ChoosePrintScale(4960, 7016); // A4 at 600 dpi
    QVERIFY(scale.fits());
    const int pageHeight = 7016, lineHeight = 90;
    const Item item = itemWith({});
    const QStringList fairy;
    const PrintLayout without = LayOutPrintedItem(scale, pageHeight, lineHeight, item, fairy);
    const PrintLayout layout = LayOutPrintedItem(scale, pageHeight, lineHeight, item, fairy, twins);
    QCOMPARE(layout.texts, without.texts);
    QCOMPARE(layout.diagram, without.diagram);
    QCOMPARE(int(layout.twins.size()), twins);
    QCOMPARE(layout.pageCount, pages);
    int lowestText = 0;
    for (const PrintedText& text : layout.texts)
        if (text.page == 0 && text.at.x() < scale.x0 * scale.sx)
            lowestText = qMax(lowestText, text.at.y() + lineHeight);
    for (qsizetype i = 0; i < layout.twins.size(); ++i) {
        const PrintedTwin& t = layout.twins[i];
        QVERIFY(t.diagram.width() < layout.diagram.width());
        QVERIFY(t.caption.top() > t.diagram.bottom());
        QVERIFY(t.caption.bottom() < pageHeight);
        QVERIFY(t.diagram.right() < scale.x0 * scale.sx);
        if (t.page == 0)
            QVERIFY(t.diagram.top() > lowestText);
        for (qsizetype j = 0; j < i; ++j)
            if (layout.twins[j].page == t.page)
                QVERIFY(!layout.twins[j]
                             .diagram.united(layout.twins[j].caption)
                             .intersects(t.diagram.united(t.caption)));
    }
}

QTEST_MAIN(TestTwinDiagrams)
#include "tst_twindiagrams.moc"
