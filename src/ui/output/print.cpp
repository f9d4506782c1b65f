#include "output/print.h"

#include "app/idgr.h"
#include "app/prompts.h"
#include "model/failure.h"
#include "output/diagram.h"
#include "output/printlayout.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace vexil {

bool ShowPrintDialog(QPrinter& printer, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintItem(TForm1& main, Prompts& prompts, const Settings& settings,
               const PrintDialogChoice& choose)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    printer.setDocName(QStringLiteral("Vexil"));
    if (!choose(printer, &main))
        return;
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
    const PrintLayout layout = LayOutPrintedItem(scale, printer.height(), metrics.height(),
                                                 main.fieldsItem(), VisibleLines(main.Memo3));

    // The 218-pixel diagram's geometry stretched over its place on the page, drawn as paths
    // at the printer's resolution rather than as a bitmap scaled up.
    painter.save();
    painter.translate(layout.diagram.topLeft());
    painter.scale(layout.diagram.width() / qreal(DiagramSide(27)),
                  layout.diagram.height() / qreal(DiagramSide(27)));
    PaintDiagram(painter, DiagramGeometry::pixels(27), main.board(),
                 {colours, FairyDrawing::Generic, &main.pictures(), &main.fairyPictures()});
    painter.restore();
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
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        throw Failure::error(QStringLiteral("The page could not be handed to the printer."));
    prompts.message(&main, QStringLiteral("Transfer to printer is complete!"));
}

} // namespace vexil
