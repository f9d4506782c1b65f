#include "model/cp1252.h"
#include "model/transliterate.h"

#include <QtTest>

using namespace vexil;

class TestTransliterate : public QObject {
    Q_OBJECT
private slots:
    void latinLettersThatACollectionHolds_data();
    void latinLettersThatACollectionHolds();
};

void TestTransliterate::latinLettersThatACollectionHolds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    auto row = [](const char* name, const char* text, const char* kept) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(kept);
    };
    row("Windows-1252 text stays as it is", "Živko Müller, Œuvres 1995 €",
        "Živko Müller, Œuvres 1995 €");
    row("Cyrillic, Serbian", "Живко Јаневски", "Živko Janevski");
    row("Cyrillic, Russian", "Приокская правда", "Priokskaâ pravda");
    row("Greek", "Παρουσία", "Parousía");
    row("Polish: Ł and ó", "Łódź", "Lódz");
    row("Czech: č and ř lose the accent, Š and é keep it", "Čapek Řehoř Šimon Pécs",
        "Capek Rehor Šimon Pécs");
    row("an emoji has no Latin spelling", "mate \xF0\x9F\x98\x80!", "mate !");
}

void TestTransliterate::latinLettersThatACollectionHolds()
{
    QFETCH(QString, text);
    QFETCH(QString, kept);
    const QString out = TransliteratedToWindows1252(text);
    QCOMPARE(out, kept);
    QVERIFY(cp1252::canEncode(out));
}

QTEST_GUILESS_MAIN(TestTransliterate)
#include "tst_transliterate.moc"
