#include "app/idgr.h"
#include "app/program.h"
#include "app/scriptedprompts.h"
#include "model/sampleitems.h"
#include "output/publishdialog.h"
#include "views/list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QXmlStreamReader>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;

class TestPublishWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;

    TForm1& main() { return m_program->main(); }
    PublishDialog& dialog() { return m_program->publish(); }
    QString path(const QString& name) const { return m_dir->filePath(name); }

    void choose(PublishFormat format)
    {
        dialog().formatBox->setCurrentIndex(dialog().formatBox->findData(int(format)));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        Collection::fromLines(test::collectionOf(test::sampleItems())).write(path("s.dgr"));
        m_program = test::startProgram(m_dir->path(), m_prompts);
        main().openNamedCollection(path("s.dgr"));
        main().ShowItem(2, main().FindItemLine(2));
        QTest::mouseClick(main().PublishButton, Qt::LeftButton);
        QVERIFY(dialog().isVisible());
    }
    void cleanup()
    {
        m_program.reset();
        m_dir.reset();
    }

    void ranges_data();
    void ranges();
    void svgOfTheItemShown();
    void twinDiagrams_data();
    void twinDiagrams();
};

void TestPublishWindow::ranges_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QList<int>>("numbers");
    QTest::newRow("item shown, with its unsaved edits") << "shownButton" << QList<int>{2};
    QTest::newRow("selected in the list") << "selectedButton" << QList<int>{3, 6};
    QTest::newRow("whole collection")
        << "collectionButton" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
}

void TestPublishWindow::ranges()
{
    QFETCH(QString, range);
    QFETCH(QList<int>, numbers);
    main().Edit1->setText(QStringLiteral("Edited Author"));
    TForm3& list = m_program->list();
    list.show();
    list.clearAllSelections();
    for (int n : {3, 6})
        list.ListBox1->selectionModel()->select(list.ListBox1->model()->index(n - 1, 0),
                                                QItemSelectionModel::Select);
    dialog().showFor(PublishRange::Shown);
    dialog().findChild<QRadioButton*>(range)->click();
    choose(PublishFormat::Latex);
    // The name typed without its extension gets the format's.
    dialog().fileEdit->setText(path("out"));
    QTest::mouseClick(dialog().publishButton, Qt::LeftButton);
    const QString tex = QString::fromUtf8(test::fileBytes(path("out.tex")));
    QList<int> written;
    static const QRegularExpression number(QStringLiteral("\\\\specialdiagnum\\{(\\d+)\\}"));
    for (const auto& m : number.globalMatch(tex))
        written << m.captured(1).toInt();
    QCOMPARE(written, numbers);
    QCOMPARE(tex.contains(QStringLiteral("Edited Author")) ||
                 tex.contains(QStringLiteral("Author, Edited")),
             numbers == QList<int>{2});
    // A piece the package cannot draw is reported, item by item.
    const bool odd = numbers.contains(6);
    QCOMPARE(!m_prompts->reports.isEmpty(), odd);
    if (odd)
        QVERIFY2(m_prompts->reports.last().contains(QStringLiteral("item 6: ")),
                 qPrintable(m_prompts->reports.last()));
}

void TestPublishWindow::svgOfTheItemShown()
{
    choose(PublishFormat::Svg);
    QVERIFY(!dialog().collectionButton->isEnabled());
    m_prompts->fileNames.push_back(path("d.svg"));
    QTest::mouseClick(dialog().publishButton, Qt::LeftButton); // no name yet: asks for one
    QCOMPARE(dialog().fileEdit->text(), path("d.svg"));
    QXmlStreamReader svg(test::fileBytes(path("d.svg")));
    QVERIFY(svg.readNextStartElement());
    QCOMPARE(svg.name().toString(), QStringLiteral("svg"));
    // Choosing another format gives the name its extension.
    choose(PublishFormat::Booklet);
    QCOMPARE(dialog().fileEdit->text(), path("d.pdf"));
}

void TestPublishWindow::twinDiagrams_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("on");
    QTest::newRow("LaTeX, off") << int(PublishFormat::Latex) << false;
    QTest::newRow("LaTeX, on") << int(PublishFormat::Latex) << true;
    QTest::newRow("booklet, off") << int(PublishFormat::Booklet) << false;
    QTest::newRow("booklet, on") << int(PublishFormat::Booklet) << true;
    QTest::newRow("SVG, off") << int(PublishFormat::Svg) << false;
    QTest::newRow("SVG, on") << int(PublishFormat::Svg) << true;
}

// The dialog's "Twins' diagrams" reaches the file written: one diagram more per twin.
void TestPublishWindow::twinDiagrams()
{
    QFETCH(int, format);
    QFETCH(bool, on);
    main().Memo2->setPlainText(QStringLiteral("Twin Rotate 90\nTwin Shift a1 a8"));
    choose(PublishFormat(format));
    QVERIFY(dialog().twinDiagrams->isEnabled());
    dialog().twinDiagrams->setChecked(on);
    if (qEnvironmentVariableIsSet("VEXIL_SAVE_PICTURES") && on)
        dialog().grab().save(qEnvironmentVariable("VEXIL_SAVE_PICTURES") +
                             QStringLiteral("/publish.png"));
    dialog().fileEdit->setText(path("twins"));
    QTest::mouseClick(dialog().publishButton, Qt::LeftButton);
    QString text;
    if (PublishFormat(format) == PublishFormat::Latex) {
        text = QString::fromUtf8(test::fileBytes(path("twins.tex")));
        QCOMPARE(int(text.count(QStringLiteral("\\begin{diagram}"))), on ? 2 : 1);
        QCOMPARE(text.contains(QStringLiteral("\\specialdiagnum{2b}")), on);
    } else if (PublishFormat(format) == PublishFormat::Svg) {
        // The twins' diagrams beside the item's: wider than the one diagram, its captions
        // and reasons as the picture's text.
        const QByteArray bytes = test::fileBytes(path("twins.svg"));
        if (qEnvironmentVariableIsSet("VEXIL_SAVE_PICTURES") && on)
            QFile::copy(path("twins.svg"),
                        qEnvironmentVariable("VEXIL_SAVE_PICTURES") + QStringLiteral("/twins.svg"));
        QXmlStreamReader svg(bytes);
        QVERIFY(svg.readNextStartElement());
        const QStringList box =
            svg.attributes().value(QStringLiteral("viewBox")).toString().simplified().split(u' ');
        QCOMPARE(box.value(2).toDouble() > 218, on);
        while (!svg.atEnd())
            if (svg.readNext() == QXmlStreamReader::Characters)
                text += svg.text().toString() + u' ';
        QVERIFY(!svg.hasError());
        text = text.simplified();
        QVERIFY2(text.contains(QStringLiteral("b) rotate 90")) == on, qPrintable(text));
    } else {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {path("twins.pdf"), QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        text = QString::fromUtf8(pdftotext.readAll()).simplified();
        QCOMPARE(text.contains(QStringLiteral("b) rotate 90")), on);
    }
    // The twin that cannot be built says why, where its diagram would be.
    QVERIFY2(text.contains(QStringLiteral("A piece will be moved outside.")) == on,
             qPrintable(text));
}

QTEST_MAIN(TestPublishWindow)
#include "tst_publishwindow.moc"
