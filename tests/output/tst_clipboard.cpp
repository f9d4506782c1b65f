#include "app/idgr.h"
#include "app/program.h"
#include "app/scriptedprompts.h"
#include "output/copyd.h"
#include "output/print.h"
#include "output/twindiagrams.h"
#include "settings/option.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QXmlStreamReader>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;

namespace {

int pdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return int(QString::fromLatin1(file.readAll())
                   .count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

} // namespace

class TestClipboard : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;

    TForm1& main() { return m_program->main(); }
    TForm5& window() { return m_program->clipboard(); }
    QString text() { return window().Memo1->toPlainText(); }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // A check box takes clicks on its box and caption only, not on the rest of its width.
    void clickBox(QCheckBox* box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    void activate(QWidget* w)
    {
        w->activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), w->windowHandle());
    }
    // Prints with a dialog that answers by itself: a PDF file, or a cancel.
    void print(const QString& pdf, int resolution = 0, bool twins = false)
    {
        PrintItem(main(), *m_prompts, m_program->options().settings(),
                  [&](QPrinter& printer, PrintChoice& choice, QWidget*) {
                      if (pdf.isEmpty())
                          return false;
                      choice.twinDiagrams = twins;
                      printer.setOutputFormat(QPrinter::PdfFormat);
                      printer.setOutputFileName(pdf);
                      if (resolution)
                          printer.setResolution(resolution);
                      return true;
                  });
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_program = test::startProgram(m_dir->path(), m_prompts);
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
        Board& board = main().board();
        board.at(7, 4) = 11;   // Ke1
        board.at(0, 4) = 12;   // ke8
        board.at(4, 2) = 4017; // a white grasshopper-kind fairy piece on c4
        main().Edit1->setText(QStringLiteral("A. Author"));
        main().ComboBox4->setEditText(QStringLiteral("The Problemist"));
        main().ComboBox1->setEditText(QStringLiteral("#2"));
        main().Memo1->setPlainText(QStringLiteral("1.Ke2!\n1...Kd7"));
        QGuiApplication::clipboard()->clear();
    }
    void cleanup()
    {
        m_program.reset();
        m_dir.reset();
    }

    void exportShowsFreshText()
    {
        main().Memo3->setPlainText(QStringLiteral("stale"));
        QTest::mouseClick(main().SpeedButton1, Qt::LeftButton);
        QVERIFY(window().isVisible());
        QTRY_VERIFY(
            text().startsWith(QStringLiteral("A. Author\nThe Problemist\n#2 \n( 2 + 1 )\n")));
        QVERIFY(text().contains(QStringLiteral("G<grasshopper>c4\n1.Ke2!\n1...Kd7\n")));
        QVERIFY(!text().contains(QStringLiteral("stale")));
        QVERIFY(text().endsWith(QStringLiteral("1...Kd7\n")));
        QCOMPARE(main().Memo3->toPlainText(), QStringLiteral("pieces=G<grasshopper>c4"));
    }

    void activationRefills()
    {
        window().Export();
        activate(&window());
        window().Memo1->setPlainText(QStringLiteral("typed by the user"));
        main().Edit1->setText(QStringLiteral("B. Other"));
        activate(&main());
        QCOMPARE(text(), QStringLiteral("typed by the user"));
        activate(&window());
        QTRY_VERIFY(text().startsWith(QStringLiteral("B. Other\n")));
    }

    void notationSwitchesControls()
    {
        window().Export();
        activate(&window());
        QList<QWidget*> followers{window().Button1, window().Button2, window().Button3,
                                  window().CheckBox1};
        clickBox(window().CheckBox2);
        QVERIFY(text().startsWith(QStringLiteral("Author(s): A. Author\n")));
        QVERIFY(text().contains(QStringLiteral("Fairy pieces: \nG=grasshopper\nSolution: \n")));
        for (QWidget* w : followers)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(window().Button5->isEnabled());
        QTest::mouseClick(window().Button5, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), text());

        clickBox(window().CheckBox2);
        QVERIFY(text().startsWith(QStringLiteral("A. Author\n")));
        for (QWidget* w : followers)
            QVERIFY(w->isEnabled());
    }

    void copyDiagram_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("withText");
        QTest::addColumn<int>("side");
        QTest::newRow("218, picture only") << "Button2" << false << 218;
        QTest::newRow("202, picture only") << "Button3" << false << 202;
        QTest::newRow("218 with the text") << "Button2" << true << 218;
        QTest::newRow("202 with the text") << "Button3" << true << 202;
    }
    void copyDiagram()
    {
        QFETCH(QString, button);
        QFETCH(bool, withText);
        QFETCH(int, side);
        window().Export();
        activate(&window());
        QGuiApplication::clipboard()->setText(QStringLiteral("was there before"));
        window().CheckBox1->setChecked(withText);
        window().Memo1->appendPlainText(QStringLiteral("an edit of the user"));
        QTest::mouseClick(window().findChild<QPushButton*>(button), Qt::LeftButton);

        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasImage());
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(image.size(), QSize(side, side));
        QCOMPARE(image.devicePixelRatio(), 1.0);
        const int c = (side - 2) / 8;
        QCOMPARE(image.pixelColor(1, 1), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(1, 7 * c + 1), QColor(192, 192, 192));
        // The same diagram as paths beside the bitmap, the same size.
        QXmlStreamReader svg(data->data(QStringLiteral("image/svg+xml")));
        QVERIFY(svg.readNextStartElement());
        QCOMPARE(svg.name().toString(), QStringLiteral("svg"));
        QCOMPARE(svg.attributes().value(QStringLiteral("viewBox")).toString().simplified(),
                 QStringLiteral("0 0 %1 %1").arg(side));
        QCOMPARE(data->hasText(), withText);
        if (withText) {
            QCOMPARE(data->text(), text());
            QVERIFY(data->text().endsWith(QStringLiteral("\nan edit of the user")));
            QVERIFY(data->text().contains(QStringLiteral("\n( 2 + 1 )\n")));
        }
    }

    // With "Twins' diagrams" the text gives each twin's position, the picture each twin's
    // diagram (or why it has none), and the printed page both; without, all is as before.
    void twinDiagrams_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void twinDiagrams()
    {
        QFETCH(bool, on);
        main().Memo2->setPlainText(QStringLiteral("Twin Move e1 e2\nTwin Remove a1"));
        const QString reason = QStringLiteral("a1: square is empty - cannot (re)move any piece.");
        window().Export();
        activate(&window());
        const QString before = text();
        if (on)
            clickBox(window().TwinsBox);
        QVERIFY2(text().contains(QStringLiteral("\nb) wKe1-->e2\nWhite Gc4 Ke2\nBlack Ke8\n")) ==
                     on,
                 qPrintable(text()));
        QCOMPARE(text().contains(reason), on);
        window().CheckBox1->setChecked(true);
        QTest::mouseClick(window().Button2, Qt::LeftButton);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasImage());
        const QSize size = on ? TwinSheetSize(2, 27) : QSize(218, 218);
        QCOMPARE(qvariant_cast<QImage>(data->imageData()).size(), size);
        QCOMPARE(data->text(), text());
        QXmlStreamReader svg(data->data(QStringLiteral("image/svg+xml")));
        QVERIFY(svg.readNextStartElement());
        QCOMPARE(svg.attributes().value(QStringLiteral("viewBox")).toString().simplified(),
                 QStringLiteral("0 0 %1 %2").arg(size.width()).arg(size.height()));
        if (on) {
            clickBox(window().TwinsBox);
            QCOMPARE(text(), before);
        }

        const QString pdf = path(QStringLiteral("twins.pdf"));
        print(pdf, 0, on);
        QCOMPARE(pdfPages(pdf), 1);
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        if (!pdftotext.waitForFinished())
            QSKIP("pdftotext is not installed");
        const QString printed = QString::fromUtf8(pdftotext.readAll()).simplified();
        QCOMPARE(printed.contains(QStringLiteral("b) wKe1-->e2")), on);
        QCOMPARE(printed.contains(QStringLiteral("a1: square is empty")), on);
        if (qEnvironmentVariableIsSet("VEXIL_SAVE_PICTURES") && on) {
            const QString folder = qEnvironmentVariable("VEXIL_SAVE_PICTURES");
            qvariant_cast<QImage>(data->imageData()).save(folder + QStringLiteral("/copied.png"));
            QFile::copy(pdf, folder + QStringLiteral("/printed.pdf"));
            window().grab().save(folder + QStringLiteral("/clipboard.png"));
        }
    }

    // The print dialog carries the choice on a tab of its own, and hands it back.
    void printDialogChoice()
    {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path(QStringLiteral("chosen.pdf")));
        PrintChoice choice;
        bool found = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("twinDiagrams"));
            found = box && !box->accessibleName().isEmpty();
            if (box)
                box->setChecked(true);
            if (qEnvironmentVariableIsSet("VEXIL_SAVE_PICTURES") && box) {
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text().contains(QStringLiteral("Options")))
                        b->click();
                if (auto* tabs = dialog->findChild<QTabWidget*>())
                    tabs->setCurrentIndex(tabs->indexOf(box->parentWidget()));
                box->window()->grab().save(qEnvironmentVariable("VEXIL_SAVE_PICTURES") +
                                           QStringLiteral("/printdialog.png"));
            }
            dialog->accept();
        });
        QVERIFY(ShowPrintDialog(printer, choice, &main()));
        QVERIFY(found);
        QVERIFY(choice.twinDiagrams);
    }

    void copyDiagramInBoardColours()
    {
        Settings& settings = m_program->options().settings();
        settings.CopyCust = true;
        settings.White = 0x000000FF;
        window().Export();
        QTest::mouseClick(window().Button2, Qt::LeftButton);
        const QImage image =
            qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
        QCOMPARE(image.pixelColor(1, 1), QColor(255, 0, 0));
    }

    void copySelectedText()
    {
        window().Export();
        activate(&window());
        QTextCursor cursor = window().Memo1->textCursor();
        cursor.setPosition(3);
        cursor.setPosition(9, QTextCursor::KeepAnchor);
        window().Memo1->setTextCursor(cursor);
        QTest::mouseClick(window().Button1, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Author"));
    }

    void everyControlNamed()
    {
        for (QWidget* w : window().findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && w->parentWidget() == &window())
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }

    void printCancelled()
    {
        main().Memo3->setPlainText(QStringLiteral("stale"));
        print(QString());
        QVERIFY(m_prompts->shown.isEmpty());
        QCOMPARE(main().Memo3->toPlainText(), QStringLiteral("stale"));
    }

    void printPages_data()
    {
        QTest::addColumn<int>("solutionLines");
        QTest::addColumn<int>("pages");
        QTest::newRow("one page") << 20 << 1;
        QTest::newRow("a long solution goes on") << 150 << 2;
    }
    void printPages()
    {
        QFETCH(int, solutionLines);
        QFETCH(int, pages);
        QStringList solution;
        for (int i = 0; i < solutionLines; ++i)
            solution << QStringLiteral("%1.Ke2").arg(i);
        main().Memo1->setPlainText(solution.join(QLatin1Char('\n')));
        const QString pdf = path(QStringLiteral("item.pdf"));
        print(pdf);
        QCOMPARE(m_prompts->shown,
                 QStringList{QStringLiteral("message: Transfer to printer is complete!")});
        QCOMPARE(pdfPages(pdf), pages);
        // The diagram is drawn as paths at the printer's resolution: no bitmap on the page.
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("/Subtype /Image"));
        QCOMPARE(main().Memo3->toPlainText(), QStringLiteral("pieces=G<grasshopper>c4"));
    }

    void printPageTooSmall()
    {
        const QString pdf = path(QStringLiteral("small.pdf"));
        print(pdf, 60); // A4 at 60 dpi is less than 633 pixels wide
        QCOMPARE(m_prompts->shown,
                 QStringList{QStringLiteral("message: Set max. resolution of your PRINTER !")});
        QVERIFY(!QFile::exists(pdf));
    }

    void printerThatCannotPaint()
    {
        print(path(QStringLiteral("no such folder/item.pdf")));
        QCOMPARE(m_prompts->shown,
                 QStringList{
                     QStringLiteral("message: Your PRINTER does not support graphic functions !")});
    }
};

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
