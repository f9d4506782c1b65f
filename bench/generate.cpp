#include "generate.h"

#include "model/vocabulary.h"

#include <QRandomGenerator>

namespace vexil::bench {

Collection generateCollection(int count, quint32 seed)
{
    static const QStringList authors = {"W. A. Shinkman",
                                        "T. R. Dawson",
                                        "S. Loyd",
                                        "C. Mansfield",
                                        "A. H. Kniest",
                                        QStringLiteral("J. \u0160ulc"),
                                        "N. A. Macleod",
                                        "M. Vukcevich",
                                        "H. Ahues",
                                        "G. Heathcote",
                                        "L. Loshinsky",
                                        "F. Zocco",
                                        QStringLiteral("M. Ca\u00F1o")};
    static const char* const moves[] = {"Sd5-c7", "Qh5xf7", "Rb7-b8", "Ke1-e2", "Bc4-d5",
                                        "Gc4-c8", "Na4-e8", "Kd6-e5", "Zg7-e6", "Pe7-e8=Q"};
    QRandomGenerator random(seed);
    Collection collection;
    collection.appendEmptyItem();
    for (int n = 1; n <= count; ++n) {
        collection.appendEmptyItem();
        Item item;
        const int pieces = 3 + random.bounded(20);
        for (int p = 0; p < pieces; ++p) {
            PieceCode code = 1 + random.bounded(16);
            const int roll = random.bounded(20);
            if (roll == 0)
                code = piece::make(17 + random.bounded(3), 1 + random.bounded(129),
                                   random.bounded(3) ? 0 : random.bounded(14));
            else if (roll == 1)
                code = 20 + random.bounded(3);
            item.board.at(random.bounded(8), random.bounded(8)) = code;
        }
        item.author = authors[random.bounded(int(authors.size()))];
        item.source = SourceVocabulary()[random.bounded(int(SourceVocabulary().size()))] +
                      QStringLiteral(" %1").arg(1900 + random.bounded(126));
        item.stipulation = StipulationVocabulary()[random.bounded(12)];
        if (random.bounded(4) == 0)
            item.condition = ConditionVocabulary()[random.bounded(173)];
        if (random.bounded(5) == 0)
            item.twins << QStringLiteral("b) Twin  Rotate 90") << QStringLiteral("c) -bPe7");
        const int lines = 1 + random.bounded(10);
        for (int l = 0; l < lines; ++l) {
            QString line = QStringLiteral("%1.").arg(l + 1);
            const int plies = 2 + random.bounded(8);
            for (int m = 0; m < plies; ++m)
                line += QLatin1Char(' ') + QLatin1String(moves[random.bounded(10)]);
            item.solution << line;
        }
        collection.writeItem(n * kItemLines, StorableItem(item));
    }
    return collection;
}

} // namespace vexil::bench
