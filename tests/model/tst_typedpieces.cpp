#include "model/fairytext.h"
#include "model/piece.h"
#include "model/piecename.h"
#include "model/typedpieces.h"

#include <QtTest>

using namespace vexil;

namespace {

// "e1=11 d4=719": square and code of each piece, in the order typed.
QString placed(const TypedPieces& typed)
{
    QStringList words;
    for (const TypedPiece& piece : typed.pieces)
        words << Square{piece.row, piece.column}.name() + QLatin1Char('=') +
                     QString::number(piece.code);
    return words.join(QLatin1Char(' '));
}

// "wXe1@5+5" for each refused word: the word, where it starts and how long it is.
QString refused(const QString& line, const TypedPieces& typed)
{
    QStringList words;
    for (const TypedPieceError& error : typed.errors)
        words << QStringLiteral("%1@%2+%3")
                     .arg(line.mid(error.start, error.length))
                     .arg(error.start)
                     .arg(error.length);
    return words.join(QLatin1Char(' '));
}

} // namespace

class TestTypedPieces : public QObject {
    Q_OBJECT
private slots:
    void forms_data();
    void forms();
    void errors_data();
    void errors();
    void everyPieceTheEditorMakesReadsBack();
};

void TestTypedPieces::forms_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("pieces");
    QTest::newRow("white king") << "wKe1"
                                << "e1=11";
    QTest::newRow("black knight is S") << "bSg8"
                                       << "g8=6";
    QTest::newRow("neutral alfil") << "nALd4"
                                   << "d4=719";
    QTest::newRow("white grasshopper is the built-in one") << "wGc3"
                                                           << "c3=13";
    QTest::newRow("black nightrider") << "bNh1"
                                      << "h1=16";
    QTest::newRow("royal queen is a fairy queen") << "royal wQd4"
                                                  << "d4=507317";
    QTest::newRow("neutral king is a fairy king") << "nKe1"
                                                  << "e1=5019";
    QTest::newRow("white fairy alfil") << "wALa1"
                                       << "a1=717";
    QTest::newRow("kind code of digits") << "b15h8"
                                         << "h8=118";
    QTest::newRow("kind code ending in a digit") << "wG2b2"
                                                 << "b2=4117";
    QTest::newRow("bishop, not bouncer") << "bBc3"
                                         << "c3=8";
    QTest::newRow("bouncer, not bishop") << "bB1c3"
                                         << "c3=11818";
    QTest::newRow("specification on a kind code") << "chameleon bB1c3"
                                                  << "c3=111818";
    QTest::newRow("royal grasshopper is a fairy piece") << "royal wGc3"
                                                        << "c3=504017";
    QTest::newRow("letter case is free") << "WKE1 bala2 ROYAL nzee8"
                                         << "e1=11 a2=718 e8=512919";
    QTest::newRow("several, blanks and commas") << "wKe1, bKe8  nQd4,wPa2"
                                                << "e1=11 e8=12 d4=7319 a2=1";
    QTest::newRow("specification then comma") << "royal, wQd4"
                                              << "d4=507317";
    QTest::newRow("later piece on a square wins") << "wKe1 bQe1"
                                                  << "e1=11 e1=10";
    // The side carries over, as in Popeye's piece lists: from a side word to the pieces
    // after it, or from the last piece's side letter.
    QTest::newRow("side words") << "White Kf6 Qa1 Bh7 Black Kh8 Pg7"
                                << "f6=11 a1=9 h7=7 h8=12 g7=2";
    QTest::newRow("side of the last piece") << "wKf6 Qa1 bKh8 Pg7"
                                            << "f6=11 a1=9 h8=12 g7=2";
    QTest::newRow("side word, then a piece with its own side") << "white Kf6 bKh8 Sg8"
                                                               << "f6=11 h8=12 g8=6";
    QTest::newRow("after a side word a B is a bishop") << "Black Bb7"
                                                       << "b7=8";
    QTest::newRow("neutral side word, fairy kind") << "Neutral ALd4"
                                                   << "d4=719";
    QTest::newRow("empty line") << ""
                                << "";
    QTest::newRow("only blanks and commas") << " , ,  "
                                            << "";
}

void TestTypedPieces::forms()
{
    QFETCH(QString, line);
    QFETCH(QString, pieces);
    const TypedPieces typed = ParseTypedPieces(line);
    QVERIFY2(typed.isValid(), qPrintable(refused(line, typed)));
    QCOMPARE(placed(typed), pieces);
}

void TestTypedPieces::errors_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("reasonHas");
    QTest::newRow("no side") << "Ke1"
                             << "Ke1@0+3"
                             << "w, b or n";
    QTest::newRow("side word, bad piece after it") << "White Kf6 Xx1"
                                                   << "Xx1@10+3"
                                                   << "square";
    QTest::newRow("side word cuts a specification off") << "royal White Kf6"
                                                        << "royal@0+5"
                                                        << "piece after";
    QTest::newRow("unknown side") << "xKe1"
                                  << "xKe1@0+4"
                                  << "w, b or n";
    QTest::newRow("misspelt specification") << "roya wQd4"
                                            << "roya@0+4"
                                            << "specification";
    QTest::newRow("no square") << "wK"
                               << "wK@0+2"
                               << "square";
    QTest::newRow("rank 9") << "wKe9"
                            << "wKe9@0+4"
                            << "square";
    QTest::newRow("file i") << "wKi1"
                            << "wKi1@0+4"
                            << "square";
    QTest::newRow("no piece") << "we1"
                              << "we1@0+3"
                              << "missing";
    QTest::newRow("unknown piece") << "wXYe1"
                                   << "wXYe1@0+5"
                                   << "XY";
    QTest::newRow("specification alone") << "royal"
                                         << "royal@0+5"
                                         << "piece after";
    QTest::newRow("specification at the end") << "wKe1 royal"
                                              << "royal@5+5"
                                              << "piece after";
    QTest::newRow("two specifications") << "royal magic wQd4"
                                        << "royal@0+5"
                                        << "one specification";
    QTest::newRow("every bad word, good ones between") << "wKe1 wXXa1, bKe8 zz"
                                                       << "wXXa1@5+5 zz@17+2"
                                                       << "XX";
    // A specification does not turn a letter of the built-in pieces into an unknown kind.
    QTest::newRow("specification with a bad square") << "royal wQd0"
                                                     << "wQd0@6+4"
                                                     << "square";
}

void TestTypedPieces::errors()
{
    QFETCH(QString, line);
    QFETCH(QString, words);
    QFETCH(QString, reasonHas);
    const TypedPieces typed = ParseTypedPieces(line);
    QVERIFY(!typed.isValid());
    QCOMPARE(refused(line, typed), words);
    QVERIFY2(typed.errors.first().reason.contains(reasonHas),
             qPrintable(typed.errors.first().reason));
}

void TestTypedPieces::everyPieceTheEditorMakesReadsBack()
{
    // Every piece written the way the program's texts name it reads back as that piece; a
    // white or black fairy piece of a built-in letter's kind reads as the built-in piece,
    // which every text writes the same way.
    QList<PieceCode> codes;
    for (int base = 1; base <= 16; ++base)
        codes << base;
    for (int base = piece::kFairyWhite; base <= piece::kFairyNeutral; ++base)
        for (int kind = 1; kind <= piece::kKindCount; ++kind)
            for (int specification = 0; specification < piece::kSpecificationCount; ++specification)
                codes << piece::make(base, kind, specification);
    int square = 0;
    for (const PieceCode code : codes) {
        const Piece piece(code);
        const int row = square / 8, column = square % 8;
        square = (square + 7) % 64;
        const QString side = piece.isNeutral() ? QStringLiteral("n")
                             : piece.isWhite() ? QStringLiteral("w")
                                               : QStringLiteral("b");
        QString text = side + PieceName(piece) + Square{row, column}.name();
        if (piece.isFairy() && piece.specification() > 0)
            text = SpecificationName(piece.specification()) + QLatin1Char(' ') + text;
        const TypedPieces typed = ParseTypedPieces(text);
        QVERIFY2(typed.isValid() && typed.pieces.size() == 1, qPrintable(text));
        const TypedPiece got = typed.pieces.first();
        QCOMPARE(got.row, row);
        QCOMPARE(got.column, column);
        if (got.code == code)
            continue;
        // Only the fairy twin of a built-in piece may read as another code.
        QVERIFY2(piece.isFairy() && !piece.isNeutral() && piece.specification() == 0,
                 qPrintable(text));
        QVERIFY2(Piece(got.code).base() <= 16 && PieceName(Piece(got.code)) == PieceName(piece) &&
                     Piece(got.code).side() == piece.side(),
                 qPrintable(text));
    }
}

QTEST_APPLESS_MAIN(TestTypedPieces)
#include "tst_typedpieces.moc"
