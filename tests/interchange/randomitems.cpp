#include "randomitems.h"

#include "model/cp1252.h"
#include "model/piece.h"

#include <QRandomGenerator>

namespace vexil::test {

QList<Item> randomItems(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    auto pick = [&](const QStringList& list) { return list[random.bounded(int(list.size()))]; };
    // Every Windows-1252 character above 127, the five undefined bytes included.
    auto eightBit = [&] { return cp1252::decode(QByteArray(1, char(0x80 + random.bounded(128)))); };
    const QStringList authors = {"S. Loyd",
                                 "Loyd, Samuel",
                                 "T. R. Dawson & C. Mansfield",
                                 "Ugren, Ljubomir; Abdurahmanovic, Fadil",
                                 "A, B, C",
                                 "",
                                 "Dawson,T.R.",
                                 "N. Macleod; N. Macleod",
                                 "  spaced  "};
    const QStringList sources = {"Probleemblad 1950",
                                 "The Problemist 1965-02",
                                 "feenschach 01-02 1965, 1st Prize",
                                 "original",
                                 "",
                                 "Schwalbe 1930-1931, 2nd-3rd HM, Schwalbe TT",
                                 "Die Schwalbe 0965",
                                 "Source 1999-13",
                                 "x 2001-02-29"};
    const QStringList conditions = {"",
                                    "Circe",
                                    "Duplex",
                                    "Circe Duplex",
                                    "WhiteToPlay Duplex",
                                    "Madrasi RexInclusive",
                                    "HalfDuplex",
                                    "Quodlibet",
                                    "Circe  Duplex",
                                    "Duplex Duplex",
                                    "Imitator a1 Quodlibet"};
    const QStringList twins = {"Twin Move e1 f1",
                               "Twin Cont Remove c4",
                               "Twin  Rotate 90",
                               "b) Twin Rotate 90",
                               "Twin Stipulation h#1",
                               "",
                               "Twin Continued Exchange a1 b2",
                               "Twin Condition Circe"};
    const QStringList stipulations = {"#2", "h#3", "s#5", "ser-h=12", "", "win", "a=>b1"};
    const QStringList moves = {"1.Sd5-c7!",  "threat:",    "2.Qh5*f7#",  "1...Ke8", "{comment: x}",
                               "\"quoted\"", "'single'",   "---",        "|",       "#",
                               "- 1.e4",     "  indented", "trailing  ", "a\\b",    "[x]",
                               "&anchor",    "*alias",     "%",          "@"};
    QList<Item> items;
    for (int n = 0; n < count; ++n) {
        Item item;
        const int pieces = random.bounded(24);
        for (int p = 0; p < pieces; ++p) {
            PieceCode code;
            const int roll = random.bounded(10);
            if (roll < 5)
                code = 1 + random.bounded(16);
            else if (roll < 9)
                code =
                    piece::make(17 + random.bounded(3), 1 + random.bounded(piece::kKindCount),
                                random.bounded(2) ? 0 : random.bounded(piece::kSpecificationCount));
            else
                code = 20 + random.bounded(3);
            item.board.at(random.bounded(8), random.bounded(8)) = code;
        }
        item.author = pick(authors);
        if (random.bounded(3) == 0)
            item.author += QLatin1Char(' ') + eightBit();
        item.source = pick(sources);
        if (random.bounded(4) == 0)
            item.source = eightBit() + item.source;
        item.stipulation = pick(stipulations);
        item.condition = pick(conditions);
        if (random.bounded(3) == 0) {
            if (random.bounded(3) == 0)
                item.twins << QStringLiteral("Zero Move a1 a2");
            const int lines = random.bounded(4);
            for (int t = 0; t < lines; ++t)
                item.twins << pick(twins);
        }
        const int lines = random.bounded(6);
        for (int l = 0; l < lines; ++l) {
            QString line;
            const int words = random.bounded(6);
            for (int w = 0; w < words; ++w)
                line += (w ? QStringLiteral(" ") : QString()) + pick(moves);
            if (random.bounded(5) == 0)
                line += eightBit();
            item.solution << line;
        }
        items << item;
    }
    return throughCollection(items);
}

QList<Item> throughCollection(const QList<Item>& items)
{
    Lines lines;
    EmptyItem(lines, 0);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const int header = int(lines.size());
        EmptyItem(lines, int(i) + 1);
        WriteItem(lines, header, StorableItem(items[i]));
    }
    const Lines read = SplitLines(JoinLines(lines));
    QList<Item> out;
    for (qsizetype i = 0; i < items.size(); ++i)
        out << ReadItem(read, int(i + 1) * kItemLines);
    return out;
}

} // namespace vexil::test
