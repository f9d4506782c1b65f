#include "duplicates/duplicates.h"

#include "model/csv.h"

namespace vexil {

QString MatchKindText(DuplicateMatch::Kind kind)
{
    switch (kind) {
    case DuplicateMatch::Kind::First:
        return QStringLiteral("first");
    case DuplicateMatch::Kind::Same:
        return QStringLiteral("same position");
    case DuplicateMatch::Kind::Symmetric:
        return QStringLiteral("same after a symmetry");
    case DuplicateMatch::Kind::ColoursSwapped:
        return QStringLiteral("same with colours swapped");
    case DuplicateMatch::Kind::OneUnitAway:
        return QStringLiteral("one unit away");
    }
    return {};
}

QByteArray DuplicateGroupsCsv(const QList<DuplicateGroup>& groups,
                              const QList<SearchedCollection>& collections)
{
    QStringList lines{QStringLiteral(
        "Group,Kind,Collection,Number,Author,Source,Stipulation,Explanation,Compared with")};
    for (qsizetype g = 0; g < groups.size(); ++g)
        for (const DuplicateMatch& m : groups[g]) {
            const QString file = m.collection >= 0 && m.collection < collections.size()
                                     ? collections[m.collection].fileName
                                     : QString();
            lines << CsvLine({QString::number(g + 1), MatchKindText(m.kind), file,
                              QString::number(m.number), m.author, m.source, m.stipulation,
                              m.explanation,
                              m.relatedTo >= 0 && m.relatedTo < groups[g].size()
                                  ? QString::number(groups[g][m.relatedTo].number)
                                  : QString()});
        }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

} // namespace vexil
