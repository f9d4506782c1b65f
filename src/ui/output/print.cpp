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
    QImage diagram = DiagramBitmap(main.board(), 27, colours, main.pictures(),
                                   main.fairyPictures());
    if (!settings.PrintCust)
        diagram = ReducedTo16Colours(diagram);

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

    // Each diagram pixel becomes a block of whole printer pixels, as sharp as on screen.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(layout.diagram, diagram);
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
