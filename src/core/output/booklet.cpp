#include "output/booklet.h"

#include "model/failure.h"
#include "output/diagram.h"
#include "output/twindiagrams.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMap>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace vexil {
namespace {

// Laid out in points; the painter maps them to the writer's resolution.
constexpr qreal kMargin = 42;
constexpr qreal kGap = 18;
constexpr qreal kFooter = 24;
constexpr qreal kTwinGap = 8;

QFont textFont(qreal size, bool bold = false)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(qRound(size)); // a pixel is a point here
    font.setBold(bold);
    return font;
}

// The pages as they fill: where the next block goes, new pages with their numbers.
class Pages {
public:
    Pages(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_p(painter)
    {
        const QSizeF size = writer.pageLayout().fullRectPoints().size();
        m_width = size.width();
        m_height = size.height();
        m_y = kMargin;
    }

    qreal width() const { return m_width - 2 * kMargin; }
    qreal y() const { return m_y; }
    void advance(qreal by) { m_y += by; }
    qreal bottom() const { return m_height - kMargin - kFooter; }

    // Makes room for `height`, on a new page when this one has too little left.
    void need(qreal height)
    {
        if (m_y + height > bottom() && m_y > kMargin)
            newPage();
    }
    void newPage()
    {
        footer();
        m_writer.newPage();
        ++m_page;
        m_y = kMargin;
    }
    void footer()
    {
        m_p.setFont(textFont(9));
        m_p.setPen(Qt::black);
        m_p.drawText(QRectF(0, m_height - kMargin - kFooter / 2, m_width, kFooter),
                     Qt::AlignHCenter | Qt::AlignTop, QString::number(m_page));
    }

private:
    QPdfWriter& m_writer;
    QPainter& m_p;
    qreal m_width = 0, m_height = 0, m_y = 0;
    int m_page = 1;
};

struct Line {
    QString text;
    bool bold = false;
};

qreal heightOf(const QList<Line>& lines, qreal width)
{
    qreal h = 0;
    for (const Line& line : lines)
        h += QFontMetricsF(textFont(9, line.bold))
                 .boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, line.text)
                 .height();
    return h;
}

void drawLines(QPainter& p, const QList<Line>& lines, QPointF at, qreal width)
{
    for (const Line& line : lines) {
        const QFont font = textFont(9, line.bold);
        p.setFont(font);
        const QRectF box =
            QFontMetricsF(font).boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, line.text);
        p.drawText(QRectF(at.x(), at.y(), width, box.height()), Qt::TextWordWrap, line.text);
        at.ry() += box.height();
    }
}

QList<Line> captionOf(const Item& item, int number, bool withSolution)
{
    QList<Line> lines;
    lines << Line{QStringLiteral("%1. %2").arg(number).arg(item.author.trimmed()), true};
    if (!item.source.trimmed().isEmpty())
        lines << Line{item.source.trimmed()};
    lines << Line{
        (item.stipulation.trimmed() + QLatin1Char(' ') + PieceCountText(item.board)).trimmed()};
    if (!item.condition.trimmed().isEmpty())
        lines << Line{item.condition.trimmed()};
    for (const QString& twin : item.twins)
        if (!twin.trimmed().isEmpty())
            lines << Line{twin};
    if (withSolution)
        for (const QString& line : item.solution)
            lines << Line{line};
    return lines;
}

// The twins' diagrams under an item: `perRow` to a row of its column, each captioned.
struct TwinRows {
    QList<TwinDiagram> twins;
    int perRow = 3;
    qreal side = 0;

    qsizetype rowCount() const { return (twins.size() + perRow - 1) / perRow; }
    QList<Line> captionOf(qsizetype t) const { return {Line{twins[t].caption, true}}; }
    qreal rowHeight(qsizetype row) const
    {
        qreal text = 0;
        for (qsizetype t = row * perRow; t < qMin(twins.size(), (row + 1) * perRow); ++t)
            text = qMax(text, heightOf(captionOf(t), side));
        return side + 3 + text + kTwinGap;
    }
    void drawRow(QPainter& p, qsizetype row, QPointF at, const DiagramStyle& style) const
    {
        for (qsizetype t = row * perRow; t < qMin(twins.size(), (row + 1) * perRow); ++t) {
            const qreal x = at.x() + (t - row * perRow) * (side + kTwinGap);
            PaintTwinPosition(p, DiagramGeometry::scaled(QPointF(x, at.y()), side), twins[t],
                              style);
            p.setPen(Qt::black);
            drawLines(p, captionOf(t), QPointF(x, at.y() + side + 3), side);
        }
    }
};

} // namespace

QStringList AuthorsOf(const QString& authorLine)
{
    QStringList out;
    for (const QString& part : authorLine.split(QLatin1Char(';'))) {
        const QString name = part.simplified();
        if (!name.isEmpty() && !out.contains(name))
            out << name;
    }
    return out;
}

bool WriteBooklet(const QString& path, const QList<Item>& items, const QList<int>& numbers,
                  const BookletOptions& options, const BookletProgress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotCreate(path);
    auto numberOf = [&](qsizetype i) { return i < numbers.size() ? numbers[i] : int(i) + 1; };
    bool stopped = false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Vexil"));
        writer.setTitle(options.title);
        writer.setPageSize(QPageSize(options.page));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(720);
        QPainter p(&writer);
        p.scale(10, 10); // points
        Pages pages(writer, p);

        if (!options.title.isEmpty()) {
            p.setFont(textFont(16, true));
            p.drawText(QRectF(kMargin, pages.y(), pages.width(), 24), Qt::AlignLeft, options.title);
            pages.advance(32);
        }

        const int across = qBound(2, options.across, 3);
        const qreal column = (pages.width() - (across - 1) * kGap) / across;
        const qreal side = qMin(column, 216.0);
        const int total = int(items.size());
        // The twins of a row of items, row by row of twins, each in its item's column; a
        // page may end between two rows of twins.
        auto drawTwinRows = [&](int first, int count, qreal column) {
            QList<TwinRows> blocks;
            qsizetype rows = 0;
            for (int i = 0; i < count; ++i) {
                TwinRows block;
                block.twins = TwinDiagramsOf(items[first + i]);
                block.perRow = across == 2 ? 3 : 2;
                block.side = (column - (block.perRow - 1) * kTwinGap) / block.perRow;
                rows = qMax(rows, block.rowCount());
                blocks << block;
            }
            for (qsizetype row = 0; row < rows; ++row) {
                qreal height = 0;
                for (const TwinRows& block : blocks)
                    if (row < block.rowCount())
                        height = qMax(height, block.rowHeight(row));
                pages.need(height);
                for (int i = 0; i < count; ++i)
                    if (row < blocks[i].rowCount())
                        blocks[i].drawRow(p, row, QPointF(kMargin + i * (column + kGap), pages.y()),
                                          options.style);
                pages.advance(height);
            }
            if (rows > 0)
                pages.advance(kGap - kTwinGap);
        };
        for (int first = 0; first < total; first += across) {
            if (progress && !progress(first, total)) {
                stopped = true;
                break;
            }
            const int count = qMin(across, total - first);
            QList<QList<Line>> captions;
            qreal textHeight = 0;
            for (int i = 0; i < count; ++i) {
                captions << captionOf(items[first + i], numberOf(first + i),
                                      !options.solutionsAtEnd);
                textHeight = qMax(textHeight, heightOf(captions.last(), column));
            }
            pages.need(side + 6 + textHeight);
            for (int i = 0; i < count; ++i) {
                const qreal x = kMargin + i * (column + kGap);
                PaintDiagram(p, DiagramGeometry::scaled(QPointF(x, pages.y()), side),
                             items[first + i].board, options.style);
                p.setPen(Qt::black);
                drawLines(p, captions[i], QPointF(x, pages.y() + side + 6), column);
            }
            pages.advance(side + 6 + textHeight + kGap);
            if (options.twinDiagrams)
                drawTwinRows(first, count, column);
        }

        if (!stopped && options.solutionsAtEnd && total > 0) {
            pages.newPage();
            p.setFont(textFont(13, true));
            p.drawText(QRectF(kMargin, pages.y(), pages.width(), 20), Qt::AlignLeft,
                       QStringLiteral("Solutions"));
            pages.advance(24);
            for (int i = 0; i < total; ++i) {
                QList<Line> lines{
                    Line{QStringLiteral("%1. %2").arg(numberOf(i)).arg(items[i].author.trimmed()),
                         true}};
                for (const QString& line : items[i].solution)
                    lines << Line{line};
                // A long solution may run over pages, one line at a time.
                for (const Line& line : lines) {
                    const qreal h = heightOf({line}, pages.width());
                    pages.need(h);
                    drawLines(p, {line}, QPointF(kMargin, pages.y()), pages.width());
                    pages.advance(h);
                }
                pages.advance(6);
            }
        }

        if (!stopped && options.authorTable && total > 0) {
            QMap<QString, QStringList> table; // sorted by name, case ignored
            QMap<QString, QString> shown;
            for (int i = 0; i < total; ++i)
                for (const QString& name : AuthorsOf(items[i].author)) {
                    table[name.toCaseFolded()] << QString::number(numberOf(i));
                    shown.insert(name.toCaseFolded(), name);
                }
            if (!table.isEmpty()) {
                pages.newPage();
                p.setFont(textFont(13, true));
                p.drawText(QRectF(kMargin, pages.y(), pages.width(), 20), Qt::AlignLeft,
                           QStringLiteral("Authors"));
                pages.advance(24);
                for (auto it = table.cbegin(); it != table.cend(); ++it) {
                    const Line line{shown[it.key()] + QStringLiteral(": ") +
                                    it.value().join(QStringLiteral(", "))};
                    const qreal h = heightOf({line}, pages.width());
                    pages.need(h);
                    drawLines(p, {line}, QPointF(kMargin, pages.y()), pages.width());
                    pages.advance(h);
                }
            }
        }
        pages.footer();
        p.end();
    }
    if (stopped) {
        file.cancelWriting();
        return false;
    }
    if (progress)
        progress(int(items.size()), int(items.size()));
    if (!file.commit())
        throw cannotCreate(path);
    return true;
}

} // namespace vexil
