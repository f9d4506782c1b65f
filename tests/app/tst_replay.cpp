#include "app/boardview.h"
#include "app/idgr.h"
#include "app/program.h"
#include "app/replay.h"
#include "model/sampleitems.h"
#include "scriptedprompts.h"
#include "solve/fen.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolButton>
#include <QtTest>

using namespace vexil;

namespace {

QString placement(const Board& board)
{
    return BuildFenLine(board, FenOptions()).section(u' ', 0, 0);
}

} // namespace

class TestReplay : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    test::ScriptedPrompts* m_prompts = nullptr;

    TForm1& main() { return m_program->main(); }
    QString shownPlacement() { return placement(main().DrawGrid1->shownBoard()); }
    // Everything the window holds of the item: the replay must leave all of it as it was.
    QString item()
    {
        return placement(main().board()) + u'|' + main().Memo1->toPlainText() + u'|' +
               main().Memo2->toPlainText() + u'|' + main().StatusPanel[2]->text();
    }
    void cursorToLine(int line)
    {
        QTextCursor cursor(main().Memo1->document()->findBlockByNumber(line));
        main().Memo1->setTextCursor(cursor);
    }
    void press(const QKeySequence& key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &main();
        QTest::keySequence(target, key);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const QString file = m_dir->filePath(QStringLiteral("c.dgr"));
        QList<Item> items;
        Item shinkman;
        shinkman.board = test::boardFrom(QStringLiteral("7k/R7/6K1/8/8/8/8/8"));
        shinkman.stipulation = QStringLiteral("#2");
        shinkman.solution = {QStringLiteral("1.Ra7-b7! zz"), QStringLiteral("1...Kg8 2.Rb8#"),
                             QStringLiteral("1...Kh7 2.Rh8#")};
        Item twins;
        twins.board = test::boardFrom(QStringLiteral("8/8/6R1/5r2/B1p4K/7p/8/2k5"));
        twins.stipulation = QStringLiteral("h#2");
        twins.twins = {QStringLiteral("Twin Move g6 g7"), QStringLiteral("Twin Cont Remove c4"),
                       QStringLiteral("Twin Shift a1 b1")};
        twins.solution = {QStringLiteral("a) 1.Rf2 Rd6 2.Rb2 Rd1#"),
                          QStringLiteral("b) 1.Rf2 Rd7 2.Rb2 Rd1#")};
        items << shinkman << twins;
        Collection::fromLines(test::collectionOf(items)).write(file);
        m_program = test::startProgram(m_dir->path(), m_prompts);
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
        main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main()));
        main().openNamedCollection(file);
        main().PageControl1->setCurrentIndex(2);
        main().Memo1->setFocus();
    }
    void cleanup() { m_program.reset(); }

    void stepping_data();
    void stepping();
    void clickOnMove();
    void returnsToItem_data();
    void returnsToItem();
    void twinSelector();
};

void TestReplay::stepping_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QStringList>("keys");       // "+" Alt+Right, "-" Alt+Left, "esc"
    QTest::addColumn<QStringList>("placements"); // what the board shows after each key
    QTest::addColumn<QString>("banner");         // after the last key; empty: none shown
    const QString start = QStringLiteral("7k/R7/6K1/8/8/8/8/8");
    QTest::newRow("a variation, one move at a time")
        << 1 << QStringList{"+", "+"}
        << QStringList{"6k1/1R6/6K1/8/8/8/8/8", "1R4k1/8/6K1/8/8/8/8/8"} << "After 1...Kg8 2.Rb8#";
    QTest::newRow("past the end stays, back steps back")
        << 1 << QStringList{"+", "+", "+", "-"}
        << QStringList{"6k1/1R6/6K1/8/8/8/8/8", "1R4k1/8/6K1/8/8/8/8/8", "1R4k1/8/6K1/8/8/8/8/8",
                       "6k1/1R6/6K1/8/8/8/8/8"}
        << "After 1...Kg8";
    QTest::newRow("a move that cannot be played shows the position before it, and why")
        << 2 << QStringList{"+", "+"} << QStringList{"8/1R5k/6K1/8/8/8/8/8", "8/1R5k/6K1/8/8/8/8/8"}
        << "2.Rh8#: no rook can reach h8";
    QTest::newRow("back from the first move is the item again")
        << 0 << QStringList{"+", "-"} << QStringList{"7k/1R6/6K1/8/8/8/8/8", start} << QString();
    QTest::newRow("Escape is the item again")
        << 1 << QStringList{"+", "esc"} << QStringList{"6k1/1R6/6K1/8/8/8/8/8", start} << QString();
}

void TestReplay::stepping()
{
    QFETCH(int, line);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, placements);
    QFETCH(QString, banner);
    const QString before = item();
    cursorToLine(line);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        press(keys[i] == u"+"   ? QKeySequence(Qt::ALT | Qt::Key_Right)
              : keys[i] == u"-" ? QKeySequence(Qt::ALT | Qt::Key_Left)
                                : QKeySequence(Qt::Key_Escape));
        QCOMPARE(shownPlacement(), placements[i]);
    }
    QCOMPARE(main().ReplayBanner->isVisible(), !banner.isEmpty());
    if (!banner.isEmpty())
        QCOMPARE(main().ReplayBanner->toolTip(), banner);
    QCOMPARE(item(), before);
    QVERIFY(!main().isEditing());
}

void TestReplay::clickOnMove()
{
    QPlainTextEdit* memo = main().Memo1;
    const QTextBlock block = memo->document()->findBlockByNumber(1);
    QTextCursor at(block);
    at.setPosition(block.position() + int(QStringLiteral("1...Kg8 2.R").size()));
    const QPoint inside = memo->cursorRect(at).center();
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, inside);
    QCOMPARE(shownPlacement(), QStringLiteral("1R4k1/8/6K1/8/8/8/8/8"));
    QCOMPARE(main().ReplayBanner->toolTip(), QStringLiteral("After 1...Kg8 2.Rb8#"));
    QCOMPARE(placement(main().board()), QStringLiteral("7k/R7/6K1/8/8/8/8/8"));
}

void TestReplay::returnsToItem_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("another item") << "item";
    QTest::newRow("typing in the solution") << "type";
    QTest::newRow("a click on the board") << "board";
    QTest::newRow("a transformation") << "transform";
    QTest::newRow("pieces typed on the board go onto the item") << "typed";
}

void TestReplay::returnsToItem()
{
    QFETCH(QString, how);
    const QString itemBoard = placement(main().board());
    cursorToLine(1);
    press(QKeySequence(Qt::ALT | Qt::Key_Right));
    QVERIFY(main().replay().isActive());
    if (how == u"item") {
        main().SpeedButton4->click();
        QCOMPARE(main().currentItem(), 2);
    } else if (how == u"type") {
        QTest::keyClicks(main().Memo1, QStringLiteral("x"));
        QVERIFY(main().isEditing());
    } else if (how == u"board") {
        QTest::mouseClick(main().DrawGrid1, Qt::RightButton, {}, QPoint(2 + 7 * 27 + 13, 15));
        // The click brings the item back and removes nothing from it.
        QCOMPARE(placement(main().board()), itemBoard);
    } else if (how == u"typed") {
        main().DrawGrid1->setFocus();
        QTRY_VERIFY(main().DrawGrid1->hasFocus());
        QTest::keyClick(main().DrawGrid1, Qt::Key_W);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Qa1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(placement(main().board()), QStringLiteral("7k/R7/6K1/8/8/8/8/Q7"));
    } else {
        main().transformButtons.first()->click();
        QCOMPARE(placement(main().board()), itemBoard);
    }
    QVERIFY(!main().replay().isActive());
    QVERIFY(!main().ReplayBanner->isVisible());
    QCOMPARE(shownPlacement(), placement(main().board()));
}

void TestReplay::twinSelector()
{
    main().SpeedButton4->click();
    QCOMPARE(main().currentItem(), 2);
    QTRY_COMPARE(main().replay().twinButtons().size(), 4);
    QVERIFY(main().TwinBar->isVisible());
    const QString before = item();
    struct Expected {
        int button;
        const char* placement;
        const char* banner;
    };
    const Expected expected[] = {
        {1, "8/6R1/8/5r2/B1p4K/7p/8/2k5", "b) wRg6-->g7  h#2"},
        {2, "8/6R1/8/5r2/B6K/7p/8/2k5", "c) -bPc4  h#2"},
        {3, "8/8/6R1/5r2/B1p4K/7p/8/2k5", "d) h#2: A piece will be moved outside."},
    };
    for (const Expected& e : expected) {
        QToolButton* button = main().replay().twinButtons()[e.button];
        QVERIFY(!button->accessibleName().isEmpty());
        button->click();
        QVERIFY(button->isChecked());
        QCOMPARE(shownPlacement(), QLatin1String(e.placement));
        QCOMPARE(main().ReplayBanner->toolTip(), QLatin1String(e.banner));
    }
    // Ctrl+C on the board copies the twin shown.
    main().DrawGrid1->setFocus();
    QTest::keyClick(main().DrawGrid1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text().section(u' ', 0, 0),
             QStringLiteral("8/8/6R1/5r2/B1p4K/7p/8/2k5"));
    main().replay().twinButtons()[1]->click();
    main().replay().twinButtons()[1]->click();
    QVERIFY(!main().replay().isActive());
    // The twin's solution is played on the twin: b) has its rook on g7.
    main().PageControl1->setCurrentIndex(2);
    cursorToLine(1);
    press(QKeySequence(Qt::ALT | Qt::Key_Right));
    press(QKeySequence(Qt::ALT | Qt::Key_Right));
    QCOMPARE(main().ReplayBanner->toolTip(), QStringLiteral("b) After 1.Rf2 Rd7"));
    QCOMPARE(item(), before);
}

QTEST_MAIN(TestReplay)
#include "tst_replay.moc"
