#include "model/pictureset.h"
#include "model/piece.h"
#include "model/pieces.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace vexil;

namespace {

// A 25 x 25, 16-colour, uncompressed bitmap file: 518 bytes. Colour 7 is silver; the
// picture is silver with a black square in its middle.
QByteArray bitmapFile()
{
    QByteArray bytes;
    auto u16 = [&](quint16 v) { bytes.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&](quint32 v) {
        u16(quint16(v & 0xFFFF));
        u16(quint16(v >> 16));
    };
    bytes.append("BM");
    u32(518);
    u16(0);
    u16(0);
    u32(14 + 40 + 64);
    u32(40);
    u32(25);
    u32(25);
    u16(1);
    u16(4);
    u32(0);
    u32(400);
    u32(2835);
    u32(2835);
    u32(16);
    u32(0);
    for (int i = 0; i < 16; ++i)
        u32(i == 7 ? 0xC0C0C0 : 0x000000);
    for (int y = 0; y < 25; ++y) {
        QByteArray row(16, '\0');
        for (int x = 0; x < 25; ++x) {
            const int colour = (x >= 8 && x < 17 && y >= 8 && y < 17) ? 0 : 7;
            row[x / 2] = char(row[x / 2] | (x % 2 ? colour : colour << 4));
        }
        bytes += row;
    }
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int opaquePixels(const QImage& image, int fromRow, int toRow)
{
    int count = 0;
    for (int y = fromRow; y < toRow; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                ++count;
    return count;
}

} // namespace

class TestPieces : public QObject {
    Q_OBJECT
private slots:
    void codeFields_data();
    void codeFields();
    void vocabularies();
    void kindsAndSpecifications_data();
    void kindsAndSpecifications();
    void fairyLabel_data();
    void fairyLabel();
    void pieceCountText_data();
    void pieceCountText();
    void pictureIndex();
    void loadingFairyPictures();
    void pictureSet();
    void figuresNeedNoFontOfTheSystem();
    void grasshopperIsAQueenUpsideDown();
    void picturesFollowTheDevicePixelRatio();
};

void TestPieces::codeFields_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("specification");
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("traits"); // p piece, m marker, f fairy, k known
    QTest::addColumn<QString>("letter");
    using S = PieceSideValue;
    QTest::newRow("empty") << 0 << 0 << 0 << 0 << int(S::None) << "k"
                           << "";
    QTest::newRow("white pawn") << 1 << 1 << 0 << 0 << int(S::White) << "pk"
                                << "P";
    QTest::newRow("black king") << 12 << 12 << 0 << 0 << int(S::Black) << "pk"
                                << "K";
    QTest::newRow("white grasshopper") << 13 << 13 << 0 << 0 << int(S::White) << "pk"
                                       << "G";
    QTest::newRow("black nightrider") << 16 << 16 << 0 << 0 << int(S::Black) << "pk"
                                      << "N";
    QTest::newRow("white fairy g") << 4017 << 17 << 40 << 0 << int(S::White) << "pfk"
                                   << "G";
    QTest::newRow("neutral queen") << 7319 << 19 << 73 << 0 << int(S::Neutral) << "pfk"
                                   << "Q";
    QTest::newRow("black chameleon g") << 104018 << 18 << 40 << 1 << int(S::Black) << "pfk"
                                       << "G";
    QTest::newRow("last kind, last specification")
        << 1312919 << 19 << 129 << 13 << int(S::Neutral) << "pfk"
        << "ZE";
    QTest::newRow("striped disc") << 20 << 20 << 0 << 0 << int(S::None) << "mk"
                                  << "";
    QTest::newRow("cross") << 22 << 22 << 0 << 0 << int(S::None) << "mk"
                           << "";
    // What only a file can hold: kept, read the same way, never taken for a made code.
    QTest::newRow("fairy of kind 0") << 17 << 17 << 0 << 0 << int(S::White) << "pf"
                                     << "";
    QTest::newRow("fairy of kind 130") << 13018 << 18 << 130 << 0 << int(S::Black) << "pf"
                                       << "";
    QTest::newRow("specification 14") << 1404017 << 17 << 40 << 14 << int(S::White) << "pf"
                                      << "G";
    QTest::newRow("orthodox base with a kind") << 4013 << 13 << 40 << 0 << int(S::White) << "p"
                                               << "";
    QTest::newRow("marker with a specification") << 100020 << 20 << 0 << 1 << int(S::None) << "m"
                                                 << "";
    QTest::newRow("base 0 with a kind") << 100 << 0 << 1 << 0 << int(S::None) << ""
                                        << "";
    QTest::newRow("base 23") << 23 << 23 << 0 << 0 << int(S::None) << ""
                             << "";
    QTest::newRow("base 55 with a kind") << 4055 << 55 << 40 << 0 << int(S::None) << ""
                                         << "";
    QTest::newRow("negative") << -1 << -1 << 0 << 0 << int(S::None) << ""
                              << "";
    QTest::newRow("negative fairy") << -4017 << -17 << -40 << 0 << int(S::None) << ""
                                    << "";
    QTest::newRow("largest") << 2147483647 << 47 << 836 << 21474 << int(S::None) << ""
                             << "";
}

void TestPieces::codeFields()
{
    QFETCH(int, code);
    QFETCH(int, base);
    QFETCH(int, kind);
    QFETCH(int, specification);
    QFETCH(int, side);
    QFETCH(QString, traits);
    QFETCH(QString, letter);
    const Piece piece(code);
    QCOMPARE(piece.code(), code);
    QCOMPARE(piece.base(), base);
    QCOMPARE(piece.kind(), kind);
    QCOMPARE(piece.specification(), specification);
    QCOMPARE(int(piece.side()), side);
    QCOMPARE(int(PieceSide(code)), side);
    QCOMPARE(piece.isPiece(), traits.contains('p'));
    QCOMPARE(piece.isMarker(), traits.contains('m'));
    QCOMPARE(piece.isFairy(), traits.contains('f'));
    QCOMPARE(piece.isKnown(), traits.contains('k'));
    QCOMPARE(piece.isEmpty(), code == 0);
    // Exactly one side for a piece, none for the rest.
    QCOMPARE(int(piece.isWhite()) + int(piece.isBlack()) + int(piece.isNeutral()),
             int(piece.isPiece()));
    QCOMPARE(piece.letter(), letter);
    if (code >= 0)
        QCOMPARE(piece::make(base, kind, specification), code);
}

void TestPieces::vocabularies()
{
    const QStringList& kinds = FairyKinds();
    QCOMPARE(kinds.size(), 129);
    QCOMPARE(kinds[0], QStringLiteral("15  1,5-leaper"));
    QCOMPARE(kinds[11], QStringLiteral("b   bishop"));
    QCOMPARE(kinds[39], QStringLiteral("g   grasshopper"));
    QCOMPARE(kinds[97], QStringLiteral("zr  zebrarider"));
    QCOMPARE(kinds[98], QStringLiteral("ag  Andernach grasshopper"));
    QCOMPARE(kinds[115], QStringLiteral("so  scorpion"));
    QCOMPARE(kinds[116], QStringLiteral("36 3,6-leaper"));
    QCOMPARE(kinds[128], QStringLiteral("ze zebu"));
    // Rows 1 to 98 are in alphabetical order of their code.
    for (int i = 1; i < 98; ++i)
        QVERIFY2(kinds[i - 1].left(2) < kinds[i].left(2), qPrintable(kinds[i]));

    const QStringList& specifications = PieceSpecifications();
    QCOMPARE(specifications.size(), 14);
    QCOMPARE(specifications[0], QString());
    QCOMPARE(specifications[1], QStringLiteral("c chameleon"));
    QCOMPARE(specifications[10], QStringLiteral("u hurdlecolourchanging"));
    QCOMPARE(specifications[13], QStringLiteral("n uncapturable"));

    QCOMPARE(QByteArray(PieceLetters), QByteArray(" PPRRSSBBQQKKGGNN"));
    QCOMPARE(QByteArray(FenLetters), QByteArray(" PpRrNnBbQqKk"));
}

void TestPieces::kindsAndSpecifications_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1 << "15"
                       << "1,5-leaper";
    QTest::newRow("40") << 40 << "G"
                        << "grasshopper";
    QTest::newRow("69") << 69 << "OR"
                        << "Orix";
    QTest::newRow("73") << 73 << "Q"
                        << "queen";
    QTest::newRow("99") << 99 << "AG"
                        << "Andernach grasshopper";
    QTest::newRow("117") << 117 << "36"
                         << "3,6-leaper";
    QTest::newRow("129") << 129 << "ZE"
                         << "zebu";
    QTest::newRow("0") << 0 << ""
                       << "";
    QTest::newRow("130") << 130 << ""
                         << "";
}

void TestPieces::kindsAndSpecifications()
{
    QFETCH(int, kind);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QCOMPARE(KindCode(kind), code);
    QCOMPARE(KindName(kind), name);
    QCOMPARE(SpecificationLetter(1), QStringLiteral("c"));
    QCOMPARE(SpecificationName(1), QStringLiteral("chameleon"));
    QCOMPARE(SpecificationLetter(13), QStringLiteral("n"));
    QCOMPARE(SpecificationName(10), QStringLiteral("hurdlecolourchanging"));
    QCOMPARE(SpecificationLetter(0), QString());
    QCOMPARE(SpecificationLetter(14), QString());
}

void TestPieces::fairyLabel_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("label");
    QTest::newRow("grasshopper") << 4017 << "G";
    QTest::newRow("chameleon grasshopper") << 104017 << "cG";
    QTest::newRow("royal 1,5-leaper") << 500117 << "r15";
    QTest::newRow("zebu") << 12917 << "ZE";
    QTest::newRow("neutral queen") << 7319 << "Q";
    QTest::newRow("side plays no part") << 104018 << "cG";
    QTest::newRow("kind 0") << 17 << "?";
    QTest::newRow("kind 130") << 13017 << "?";
    QTest::newRow("specification 14") << 1404017 << "?";
    QTest::newRow("negative") << -4017 << "?";
    // Drawn as the generic figure, these carry no kind of their own.
    QTest::newRow("base 55 with a kind") << 4055 << "?";
    QTest::newRow("base 0 with a kind") << 100 << "?";
    QTest::newRow("orthodox base with a kind") << 4013 << "?";
}

void TestPieces::fairyLabel()
{
    QFETCH(int, code);
    QFETCH(QString, label);
    QCOMPARE(FairyLabel(code), label);
}

void TestPieces::pieceCountText_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QList<int>{} << "( 0 + 0 )";
    QTest::newRow("markers only") << QList<int>{20, 21, 22} << "( 0 + 0 )";
    QTest::newRow("two kings") << QList<int>{11, 12} << "( 1 + 1 )";
    QTest::newRow("kings and a neutral") << QList<int>{11, 12, 7319} << "( 1 + 1 + 1 )";
    QTest::newRow("fairy sides by parity")
        << QList<int>{4017, 104018, 13, 16, 1, 2, 2} << "( 3 + 4 )";
    QTest::newRow("unknown codes are no pieces") << QList<int>{-1, 55, 11} << "( 1 + 0 )";
}

void TestPieces::pieceCountText()
{
    QFETCH(QList<int>, codes);
    QFETCH(QString, text);
    Board board;
    for (int i = 0; i < codes.size(); ++i)
        board.at(i / 8, i % 8) = codes[i];
    QCOMPARE(PieceCountText(board), text);
}

void TestPieces::pictureIndex()
{
    FairyPictures none;
    QCOMPARE(PictureIndex(13, none), 13);
    QCOMPARE(PictureIndex(4017, none), 17);
    QCOMPARE(PictureIndex(7319, none), 19);
    QCOMPARE(PictureIndex(22, none), 22);
    // Codes no editor makes still give a picture that exists.
    QCOMPARE(PictureIndex(23, none), 17);
    QCOMPARE(PictureIndex(-3, none), 17);
    QCOMPARE(PictureIndex(100, none), 17);
    QCOMPARE(PictureIndex(17, none), 17);
    QCOMPARE(PictureIndex(4055, none), 17);
    QCOMPARE(PictureIndex(0, none), 0);
    QCOMPARE(PictureIndex(4013, none), 13);
    QCOMPARE(PictureIndex(100020, none), 20);

    FairyPictures loaded;
    loaded.append(QStringLiteral("WG"), 23);
    loaded.append(QStringLiteral("wg"), 24);
    loaded.append(QStringLiteral("NQ"), 25);
    loaded.append(QStringLiteral("BZE"), 26);
    QCOMPARE(PictureIndex(4017, loaded), 23);
    QCOMPARE(PictureIndex(104017, loaded), 23);
    QCOMPARE(PictureIndex(4018, loaded), 18);
    QCOMPARE(PictureIndex(7319, loaded), 25);
    QCOMPARE(PictureIndex(12918, loaded), 26);
    QCOMPARE(FairyPictureKey(12919), QStringLiteral("NZE"));
    QCOMPARE(FairyPictureKey(118), QStringLiteral("B15"));
    QCOMPARE(loaded.find(QStringLiteral("bze")), 26);
    QCOMPARE(loaded.find(QStringLiteral("WZ")), -1);
}

void TestPieces::loadingFairyPictures()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("wg.bmp"), bitmapFile());
    writeFile(dir.filePath("NQ.bmp"), bitmapFile());
    writeFile(dir.filePath("WZ.bmp"), bitmapFile() + QByteArray(82, '\0')); // 600 bytes
    writeFile(dir.filePath("BZE.bmp"), QByteArray(518, 'x'));               // not a picture
    writeFile(dir.filePath("WS.png"), bitmapFile());

    PictureSet set;
    FairyPictures pictures;
    LoadFairyPictures(dir.path(), set, pictures);
    QCOMPARE(pictures.entries().size(), 2);
    QCOMPARE(set.largeCount(), 25);
    QVERIFY(pictures.entries().contains("WG=23") || pictures.entries().contains("WG=24"));
    QVERIFY(pictures.entries().contains("NQ=23") || pictures.entries().contains("NQ=24"));
    const int wg = PictureIndex(4017, pictures);
    QVERIFY(wg == 23 || wg == 24);
    QCOMPARE(PictureIndex(4018, pictures), 18);
    QCOMPARE(PictureIndex(13017, pictures), 17);

    const QImage picture = set.large(wg);
    QCOMPARE(picture.size(), QSize(25, 25));
    QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);     // silver is transparent
    QCOMPARE(qAlpha(picture.pixel(12, 12)), 255); // the black square is not
    QCOMPARE(qRed(picture.pixel(12, 12)), 0);

    // With no picture files the list stays empty.
    QTemporaryDir empty;
    FairyPictures nothing;
    PictureSet plain;
    LoadFairyPictures(empty.path(), plain, nothing);
    QVERIFY(nothing.isEmpty());
    QCOMPARE(plain.largeCount(), 23);
}

void TestPieces::pictureSet()
{
    PictureSet set;
    QCOMPARE(set.largeCount(), 23);
    for (int i = 0; i < 23; ++i) {
        const QImage large = set.large(i);
        const QImage small = set.small(i);
        QCOMPARE(large.size(), QSize(25, 25));
        QCOMPARE(small.size(), QSize(21, 21));
        QVERIFY(large.hasAlphaChannel());
        if (i == 0) {
            QCOMPARE(opaquePixels(large, 0, 25), 0);
            continue;
        }
        QVERIFY2(opaquePixels(large, 0, 25) > 25, qPrintable(QString::number(i)));
        QVERIFY2(opaquePixels(small, 0, 21) > 15, qPrintable(QString::number(i)));
        // Square corners stay free for the square colour.
        QCOMPARE(qAlpha(large.pixel(0, 0)), 0);
    }
    QVERIFY(set.large(23).isNull());
    QVERIFY(set.small(-1).isNull());

    // The generic fairy figures leave the upper half for the label.
    for (int i = 17; i <= 19; ++i) {
        QCOMPARE(opaquePixels(set.large(i), 0, 12), 0);
        QCOMPARE(opaquePixels(set.small(i), 0, 10), 0);
    }
    // The neutral figure is white on its left half and black on its right.
    const QImage neutral = set.large(19);
    QCOMPARE(qGray(neutral.pixel(9, 17)) > 200, true);
    QCOMPARE(qGray(neutral.pixel(15, 17)) < 60, true);
    // A white figure is mostly white inside, a black one black.
    auto inkOf = [](const QImage& image) {
        qint64 sum = 0, count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) == 255) {
                    sum += qGray(image.pixel(x, y));
                    ++count;
                }
        return count ? sum / count : 0;
    };
    for (int i = 1; i <= 16; ++i) {
        if (i % 2)
            QVERIFY2(inkOf(set.large(i)) > 110, qPrintable(QString::number(i)));
        else
            QVERIFY2(inkOf(set.large(i)) < 40, qPrintable(QString::number(i)));
    }
}

void TestPieces::figuresNeedNoFontOfTheSystem()
{
    // main() hid every font of the system; the figures come from the program's own font.
    QVERIFY2(!QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")),
             "the system's fonts are still visible");
    QCOMPARE(PictureSet::figureFamily(), QStringLiteral("Vexil Figures"));
    PictureSet set;
    for (auto [size, image] :
         {std::pair{25, &PictureSet::large}, std::pair{21, &PictureSet::small}}) {
        // Twelve different orthodox figures: none fell back to the generic shape.
        QSet<QByteArray> figures;
        for (int i = 1; i <= 12; ++i) {
            const QImage picture = (set.*image)(i);
            QVERIFY2(opaquePixels(picture, 0, size) > size, qPrintable(QString::number(i)));
            figures << QByteArray(reinterpret_cast<const char*>(picture.constBits()),
                                  picture.sizeInBytes());
        }
        QCOMPARE(figures.size(), 12);
        for (int i = 13; i < PictureSet::kBuiltIn; ++i)
            QVERIFY2(opaquePixels((set.*image)(i), 0, size) > size / 2,
                     qPrintable(QString::number(i)));
    }
    // Sizes no caller uses still give an image, never a division by zero.
    QVERIFY(PictureSet::render(11, 0, 1).isNull());
    QCOMPARE(PictureSet::render(11, 1, 1).size(), QSize(1, 1));
}

void TestPieces::grasshopperIsAQueenUpsideDown()
{
    for (auto [turned, upright] :
         {std::pair{13, 9}, std::pair{14, 10}, std::pair{15, 5}, std::pair{16, 6}}) {
        const QImage a = PictureSet::render(turned, 25, 1);
        const QImage b = PictureSet::render(upright, 25, 1).mirrored(true, true);
        int differing = 0;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 25; ++x)
                if (qAbs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) > 96)
                    ++differing;
        QVERIFY2(differing < 20, qPrintable(QString::number(differing)));
        QVERIFY(a != PictureSet::render(upright, 25, 1));
    }
}

void TestPieces::picturesFollowTheDevicePixelRatio()
{
    PictureSet sharp(2.0);
    QCOMPARE(sharp.large(11).size(), QSize(50, 50));
    QCOMPARE(sharp.large(11).devicePixelRatio(), 2.0);
    QCOMPARE(sharp.small(11).size(), QSize(42, 42));
}

int main(int argc, char** argv)
{
    // Every test here runs as on a machine without fonts: the figures must not need any.
    QTemporaryDir fontless;
    const QString config = fontless.filePath(QStringLiteral("fonts.conf"));
    {
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" + fontless.path().toUtf8() +
                   "</cachedir></fontconfig>\n");
    }
    qputenv("FONTCONFIG_FILE", config.toLocal8Bit());
    qputenv("QT_QPA_FONTDIR", fontless.path().toLocal8Bit());
    QGuiApplication app(argc, argv);
    TestPieces test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_pieces.moc"
