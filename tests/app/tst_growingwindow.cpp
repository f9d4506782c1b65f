#include "app/boardview.h"
#include "app/idgr.h"
#include "app/palette.h"
#include "app/program.h"
#include "settings/settings.h"
#include "settings/store.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexil;

class TestGrowingWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;

    TForm1& main() { return m_program->main(); }
    BoardView* board() { return main().DrawGrid1; }
    void start()
    {
        test::ScriptedPrompts* prompts = nullptr;
        m_program = test::startProgram(m_dir->path(), prompts);
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
    }
    void resizeTo(QSize size)
    {
        main().resize(size);
        QTRY_COMPARE(main().size(), size);
        QTRY_COMPARE(main().centralWidget()->width(), size.width());
    }
    // A point of the board's client area, from the board's present cell.
    QPoint client(int row, int column, int dx, int dy)
    {
        const int cell = board()->cell();
        return QPoint(column * cell + dx, row * cell + dy);
    }
    QPoint centre(int row, int column)
    {
        return client(row, column, board()->cell() / 2, board()->cell() / 2);
    }
    QRect inWindow(const QWidget* w) { return QRect(w->mapTo(&main(), QPoint()), w->size()); }
    void select(int entry)
    {
        Palette* palette = main().ListBox1;
        palette->scrollToItem(palette->item(entry));
        QTest::mouseClick(palette->viewport(), Qt::LeftButton, {},
                          palette->visualItemRect(palette->item(entry)).center());
        QCOMPARE(palette->selectedEntry(), entry);
    }
    void click(Qt::MouseButton button, QPoint client, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(board(), button, modifiers, board()->contentsRect().topLeft() + client);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        start();
    }
    void cleanup() { m_program.reset(); }

    void boardFollowsTheWindow_data();
    void boardFollowsTheWindow();
    void storedLinesDoNotFollowTheWidth();
    void sizeIsRemembered();
    void storedSizeIsFitted_data();
    void storedSizeIsFitted();
};

void TestGrowingWindow::boardFollowsTheWindow_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("grows");
    QTest::newRow("smallest") << QSize() << 7 << 7 << false;
    QTest::newRow("900 x 700") << QSize(900, 700) << 3 << 5 << true;
    QTest::newRow("1400 x 1000") << QSize(1400, 1000) << 6 << 1 << true;
    QTest::newRow("wide and low") << QSize(1400, 480) << 1 << 6 << true;
    QTest::newRow("narrow and tall") << QSize(645, 1000) << 4 << 2 << false;
}

void TestGrowingWindow::boardFollowsTheWindow()
{
    QFETCH(QSize, size);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, grows);
    const QSize smallest = main().minimumSize();
    if (size.isValid())
        resizeTo(size);
    else // nothing stored: the window opens at its smallest
        QCOMPARE(main().size(), smallest);

    // A square board of whole cells that grew with the window.
    QCOMPARE(board()->width(), board()->height());
    QCOMPARE(board()->contentsRect().size(), QSize(8, 8) * board()->cell());
    QCOMPARE(board()->cell() > BoardView::kCell, grows);
    // Nothing overlaps, and the fields reach the window's right and lower edges.
    const QRect fields = inWindow(main().PageControl1);
    const QRect area = inWindow(main().centralWidget());
    QVERIFY(!inWindow(board()).intersects(fields));
    QVERIFY(!inWindow(main().ListBox1).intersects(fields));
    QVERIFY(inWindow(main().ListBox1).top() > inWindow(board()).bottom());
    QVERIFY(area.contains(inWindow(main().ListBox1)));
    QCOMPARE(fields.right(), area.right() - 4);
    QCOMPARE(fields.bottom(), area.bottom() - 6);
    const int wider = main().PageControl1->width() - 400;
    QCOMPARE(main().Edit1->width(), 280 + wider);
    QCOMPARE(wider > 0, main().width() - smallest.width() > board()->width() - 220);

    // Squares are painted where the pointer finds them.
    main().PageControl1->setFocus();
    const QImage image = board()->grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    const QPoint offset = board()->contentsRect().topLeft();
    for (const auto& [r, c] : {std::pair{row, column}, std::pair{row, (column + 1) % 8}}) {
        const bool dark = (r + c) % 2 != 0;
        const QColor expected = PaintColor(dark ? Settings().Black : Settings().White);
        QCOMPARE(QColor(image.pixel((offset + centre(r, c)) * dpr)), expected);
    }

    // Placing, the keyboard's cursor, emptying and dropping at the centre of the square.
    main().openNamedCollection(m_dir->filePath(QStringLiteral("c.dgr")));
    select(9); // black queen
    click(Qt::LeftButton, centre(row, column), Qt::ControlModifier);
    QCOMPARE(main().board().at(row, column), 10);
    click(Qt::LeftButton, centre(row, column));
    QCOMPARE(board()->currentRow(), row);
    QCOMPARE(board()->currentColumn(), column);
    click(Qt::RightButton, centre(row, column));
    QCOMPARE(main().board().at(row, column), 0);
    main().DrawGrid1DragDrop(PieceDrag{DragSource::Palette, 0, 0, 2}, centre(row, column));
    main().DrawGrid1EndDrag();
    QCOMPARE(main().board().at(row, column), 3);
    // A pixel into a square's corner still belongs to the square before it, at any size.
    click(Qt::LeftButton, client(row, column, 1, 1), Qt::ControlModifier);
    QCOMPARE(main().board().at(row - 1, column - 1), 10);
}

void TestGrowingWindow::storedLinesDoNotFollowTheWidth()
{
    main().PageControl1->setCurrentIndex(2);
    main().Memo1->setPlainText(QStringLiteral("1.Qd1-h5! threatens 2.Qh5xf7# and after 1...g7-g6 "
                                              "the queen returns with 2.Qh5-e5#"));
    const QStringList lines = VisibleLines(main().Memo1);
    QVERIFY(lines.size() > 1);
    resizeTo(QSize(1400, 1000));
    QVERIFY(main().Memo1->width() > 600);
    QCOMPARE(VisibleLines(main().Memo1), lines);
}

void TestGrowingWindow::sizeIsRemembered()
{
    const QSize available = main().screen()->availableGeometry().size();
    const QSize size = (main().size() + QSize(120, 100)).boundedTo(available);
    QVERIFY(size != main().size());
    resizeTo(size);
    QVERIFY(main().close());
    m_program.reset();
    start();
    QCOMPARE(main().size(), size);
    QVERIFY(board()->cell() > BoardView::kCell);
    // Closed as it opened: nothing is written.
    const QString path = m_dir->filePath(QStringLiteral("settings.reg"));
    QVERIFY(QFile::remove(path));
    QVERIFY(main().close());
    QVERIFY(!QFile::exists(path));
}

void TestGrowingWindow::storedSizeIsFitted_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QString>("expected");
    QTest::newRow("too small") << QSize(100, 80) << false << "smallest";
    QTest::newRow("beyond the screen") << QSize(20000, 15000) << false << "screen";
    QTest::newRow("maximized") << QSize(700, 500) << true << "stored";
}

void TestGrowingWindow::storedSizeIsFitted()
{
    QFETCH(QSize, stored);
    QFETCH(bool, maximized);
    QFETCH(QString, expected);
    const QSize smallest = main().minimumSize();
    const QSize available = main().screen()->availableGeometry().size();
    QVERIFY(available.width() > smallest.width() && available.height() > smallest.height());
    m_program.reset();
    FileSettingsStore store(m_dir->filePath(QStringLiteral("settings.reg")));
    QVERIFY(SaveMainWindowSize(store, {stored, maximized}));
    start();
    QCOMPARE(main().isMaximized(), maximized);
    const QSize size = maximized ? main().normalGeometry().size() : main().size();
    if (expected == u"smallest")
        QCOMPARE(size, smallest);
    else if (expected == u"screen")
        QCOMPARE(size, available);
    else
        QCOMPARE(size, stored);
}

QTEST_MAIN(TestGrowingWindow)
#include "tst_growingwindow.moc"
