#include "output/print.h"

#include "app/controls.h"
#include "app/idgr.h"
#include "app/prompts.h"
#include "model/failure.h"
#include "output/diagram.h"
#include "output/printlayout.h"
#include "output/twindiagrams.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

namespace vexil {

bool ShowPrintDialog(QPrinter& printer, PrintChoice& choice, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    // The program's own choices, on a tab of their own beside the printer's.
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("vexilPrintOptions"));
    page->setWindowTitle(QStringLiteral("Vexil"));
    auto* twins = NamedCheckBox("twinDiagrams", QStringLiteral("&Twins' diagrams"), page);
    twins->setAccessibleName(QStringLiteral("Twins' diagrams"));
    twins->setChecked(choice.twinDiagrams);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(twins);
    layout->addStretch(1);
    dialog.setOptionTabs({page});
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice.twinDiagrams = twins->isChecked();
    return true;
}

void PrintItem(TForm1& main, Prompts& prompts, const Settings& settings,
               const PrintDialogChoice& choose)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    printer.setDocName(QStringLiteral("Vexil"));
    // The last choice of the session is offered again.
    static PrintChoice lastChoice;
    PrintChoice choice = lastChoice;
    if (!choose(printer, choice, &main))
        return;
    lastChoice = choice;
    main.refreshFairyPieces();

    const DiagramColours colours =
        settings.PrintCust ? CustomDiagramColours(settings) : StandardDiagramColours();

    const PrintScale scale = ChoosePrintScale(printer.width(), printer.height());
    if (!scale.fits()) {
        prompts.message(&main, QStringLiteral("Set max. resolution of your PRINTER !"));
        return;
    }

    QPainter painter;
    if (!painter.begin(&printer)) {
        prompts.message(&main, QStringLiteral("Your PRINTER does not support graphic functions !"));
        return;
    }
    // 8 points on paper as on the screen: the point size is kept, the printer's resolution
    // makes the pixels.
    QFont regular = QGuiApplication::font();
    regular.setPointSize(8);
    QFont bold = regular;
    bold.setBold(true);
    const QFontMetrics metrics(regular, &printer);
    const Item item = main.fieldsItem();
    const QList<TwinDiagram> twins =
        choice.twinDiagrams ? TwinDiagramsOf(item) : QList<TwinDiagram>();
    const PrintLayout layout = LayOutPrintedItem(scale, printer.height(), metrics.height(), item,
                                                 VisibleLines(main.Memo3), int(twins.size()));
    const DiagramStyle style{colours, FairyDrawing::Generic, &main.pictures(),
                             &main.fairyPictures()};
    // Drawn like the item's diagram: the 218-pixel geometry stretched over the place given.
    auto paintStretched = [&](const QRect& place, auto paint) {
        painter.save();
        painter.translate(place.topLeft());
        painter.scale(place.width() / qreal(DiagramSide(27)),
                      place.height() / qreal(DiagramSide(27)));
        paint(DiagramGeometry::pixels(27));
        painter.restore();
    };

    // The 218-pixel diagram's geometry stretched over its place on the page, drawn as paths
    // at the printer's resolution rather than as a bitmap scaled up.
    paintStretched(layout.diagram, [&](const DiagramGeometry& g) {
        PaintDiagram(painter, g, main.board(), style);
    });
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(layout.rule);
    for (int page = 0; page < layout.pageCount; ++page) {
        if (page > 0)
            printer.newPage();
        for (const PrintedText& text : layout.texts) {
            if (text.page != page)
                continue;
            painter.setFont(text.bold ? bold : regular);
            const QFontMetrics m(painter.font(), &printer);
            painter.drawText(text.at.x(), text.at.y() + m.ascent(), text.text);
        }
        for (qsizetype t = 0; t < twins.size(); ++t) {
            const PrintedTwin& place = layout.twins[t];
            if (place.page != page)
                continue;
            paintStretched(place.diagram, [&](const DiagramGeometry& g) {
                PaintTwinPosition(painter, g, twins[t], style);
            });
            painter.setFont(regular);
            painter.setPen(QPen(Qt::black, 0));
            painter.drawText(place.caption, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                             FittedCaption(twins[t].caption, QFontMetricsF(regular, &printer),
                                           place.caption.width()));
        }
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        throw Failure::error(QStringLiteral("The page could not be handed to the printer."));
    prompts.message(&main, QStringLiteral("Transfer to printer is complete!"));
}

} // namespace vexil
