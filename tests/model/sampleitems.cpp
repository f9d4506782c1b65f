#include "model/sampleitems.h"

#include <QFile>
#include <QtTest>

namespace vexil::test {

Board boardFrom(const QString& rows)
{
    static const QString letters = QStringLiteral(" PpRrSsBbQqKkGgNn");
    Board board;
    const QStringList ranks = rows.split(QLatin1Char('/'));
    for (int r = 0; r < 8 && r < ranks.size(); ++r) {
        const QString& rank = ranks[r];
        int c = 0;
        for (qsizetype i = 0; i < rank.size() && c < 8; ++i) {
            const QChar ch = rank[i];
            if (ch.isDigit()) {
                c += ch.digitValue();
            } else if (ch == QLatin1Char('{')) {
                const qsizetype end = rank.indexOf(QLatin1Char('}'), i);
                board.at(r, c++) = rank.mid(i + 1, end - i - 1).toInt();
                i = end;
            } else {
                board.at(r, c++) = int(letters.indexOf(ch));
            }
        }
    }
    return board;
}

QList<Item> sampleItems()
{
    QList<Item> items;
    auto add = [&](const QString& rows, const QString& author, const QString& source,
                   const QString& stipulation, const QString& condition, const QStringList& twins,
                   const QStringList& solution) {
        items.append({boardFrom(rows), author, source, stipulation, condition, twins, solution});
    };
    add("7k/R7/6K1/8/8/8/8/8", "W. A. Shinkman", "American Chess Bulletin", "#2", "", {},
        {"1.Ra7-b7! zz", "1...Kh8-g8 2.Rb7-b8#"});
    add("3q4/1p2p3/1P1kP3/3N4/2Q5/8/8/K7", "T. R. Dawson", "The Problemist", "#3", "", {},
        {"1.Qc4-c5+! Kd6xd5 2.Qc5-c7 ...", "1...Kd6-e5 2.Sd5-c7 ...", "",
         "A quiet second move after the check."});
    add("8/8/3k4/8/2G5/3K4/8/n7", QStringLiteral("J. \u0160ulc"),
        QStringLiteral("\u00D6sterreichische Schachzeitung"), "H#2", "", {"Twin  Move a1 a2"},
        {"a) 1.Kd6-e5 Gc4-e6 2.Ke5-f4 Kd3-e2?", "b) 1.Kd6-c5 Gc4-b5 2.Kc5-b4 ..."});
    add("4k3/8/4{9617}3/8/2{2218}5/8/7{7319}/4K3", "A. H. Kniest", "L'Italia Scacchistica", "H#3",
        "Circe", {"Twin  Move e6 d6", "Twin  Move c4 b4"},
        {"a) 1.nQh2-h5 ...", "b) ...", "c) ..."});
    add("r3k2r/8/8/8/8/8/8/R3K2R", "C. Mansfield", "British Chess Magazine", "S#3", "Madrasi", {},
        {"1.O-O-O! ...", "2.Rd1-d8+ Ke8-e7", "3.Rd8-d7+ Ke7xd7#"});
    add("{20}6{21}/8/2k5/8/4{22}3/8/5K2/{102217}7", "Fabrice Zocco", "feenschach", "ser-h#6", "",
        {"Twin  Rotate 90"}, {"1.Kc6-d5 2.Kd5-e4 3.Ke4-f3 ... 6.? Rf1#"});
    add("8/2p5/2k5/8/N1G5/1K6/8/8", "N. A. Macleod", "Die Schwalbe", "#2", "AntiCirce", {},
        {"1.Na4-c3? c7-c5!", "1.Gc4-c8! zz 1...Kc6-d6 2.Na4-e8#", "",
         "Nightrider and grasshopper cooperate on the c-file: the key gives up the flight d5 "
         "but takes control of the eighth rank from afar."});
    add("8/8/8/3k4/8/3K4/8/8", "Problem Society", "original", "draw", "", {},
        {"Deliberately no problem for Popeye: it solves no studies, and reads \"draw\" as "
         "an input error."});
    // The twin as Popeye prints it: the Popeye text turns it into a twin command.
    add("k7/2Q5/1K6/8/8/8/8/8", "", "", "#1", "", {"", "b) wQc7-->d7"},
        {"a) 1.Qc7-b7#", "b) 1.Qd7-b7#"});
    return items;
}

Lines numberedCollection(int count)
{
    Lines lines;
    for (int n = 0; n <= count; ++n) {
        EmptyItem(lines, n);
        if (n > 0) {
            lines[n * kItemLines + 9] = "['Author " + QByteArray::number(n) + "'],";
            lines[n * kItemLines + 1] = "([" + QByteArray::number(n) + ",0,0,0,0,0,0,0],";
        }
    }
    return lines;
}

Lines collectionOf(const QList<Item>& items)
{
    Lines lines;
    EmptyItem(lines, 0);
    for (const Item& item : items) {
        const int header = int(lines.size());
        EmptyItem(lines, int(header / kItemLines));
        WriteItem(lines, header, StorableItem(item));
    }
    return lines;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace vexil::test
