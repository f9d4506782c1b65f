#include "app/boardkeys.h"
#include "app/boardview.h"
#include "app/idgr.h"
#include "app/palette.h"
#include "app/program.h"
#include "model/sampleitems.h"
#include "scriptedprompts.h"
#include "settings/option.h"
#include "solve/popeye.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QClipboard>
#include <QStatusBar>
#include <QtTest>

using namespace vexil;

namespace {

enum class Edit {
    PaletteDrop,
    BoardDrop,
    CtrlClick,
    RightClickEmpties,
    Transformation,
    TypedLine,
    SpaceKey,
    DeleteKey,
    AuthorTyped,
    SourceChosen,
    SolutionTyped,
    TwinAdded,
};

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestKeyboard : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    test::ScriptedPrompts* m_prompts = nullptr;
    QString m_file;

    TForm1& main() { return m_program->main(); }
    BoardView* board() { return main().DrawGrid1; }
    QPoint square(int row, int column)
    {
        return board()->contentsRect().topLeft() + QPoint(column * 27 + 14, row * 27 + 14);
    }
    void select(int entry)
    {
        Palette* palette = main().ListBox1;
        palette->scrollToItem(palette->item(entry));
        QTest::mouseClick(palette->viewport(), Qt::LeftButton, {},
                          palette->visualItemRect(palette->item(entry)).center());
        QCOMPARE(palette->selectedEntry(), entry);
    }
    // A key as the user presses it: to whatever has the keyboard.
    void press(const QKeySequence& key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &main();
        QTest::keySequence(target, key);
    }
    void focus(QWidget* widget)
    {
        widget->setFocus();
        QTRY_VERIFY(widget->hasFocus());
    }
    // Everything the window shows of the item, unsaved edits included.
    QString shown()
    {
        QStringList parts;
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c)
                parts << QString::number(main().board().at(r, c));
        parts << main().Edit1->text() << main().ComboBox4->currentText()
              << main().ComboBox1->currentText() << main().ComboBox2->currentText()
              << main().Memo2->toPlainText() << main().Memo1->toPlainText() << main().Label3->text()
              << main().StatusPanel[2]->text();
        return parts.join(QLatin1Char('|'));
    }
    void showItem(int number)
    {
        main().ShowItem(number, main().FindItemLine(number));
        QCOMPARE(main().currentItem(), number);
    }
    void makeEdit(Edit edit);

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = m_dir->filePath(QStringLiteral("c.dgr"));
        QList<Item> items;
        for (int n = 1; n <= 5; ++n) {
            Item item;
            item.author = QStringLiteral("Author %1").arg(n);
            item.board = test::boardFrom(QStringLiteral("4k3/8/8/8/8/8/P7/4K3"));
            items << item;
        }
        Collection::fromLines(test::collectionOf(items)).write(m_file);
        m_program = test::startProgram(m_dir->path(), m_prompts);
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
        main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main()));
        main().openNamedCollection(m_file);
        QCOMPARE(main().currentItem(), 1);
    }
    void cleanup() { m_program.reset(); }

    void shortcutsReachTheirHandlers_data();
    void shortcutsReachTheirHandlers();
    void shortcutsAskAsTheButtonsDo();
    void goToBoxAndSolveWindow();
    void tabReachesEveryControl();
    void boardCursor();
    void positionsThroughTheClipboard();
    void cursorIsDrawnWhileTheBoardHasFocus();
    void typedPieces();
    void badTypedPiecesPlaceNothing();
    void undoAndRedo_data();
    void undoAndRedo();
    void oneHistoryForBoardAndFields();
    void historyEndsWithTheItem();
    void boardLabelsStayInTheirSquare();
    void twinListIsAsWideAsItsEntries();
    void firstRunPosition();
    void programDialogShowsAllFiles();
    void stockfishPageIsNotSqueezed();
};

void TestKeyboard::shortcutsReachTheirHandlers_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("item");
    auto row = [](const char* name, QKeySequence key, const char* button, const char* focus,
                  int item) {
        QTest::newRow(name) << key << QString::fromLatin1(button) << QString::fromLatin1(focus)
                            << item;
    };
    row("first, board", QKeySequence(Qt::ALT | Qt::Key_Home), "SpeedButton2", "DrawGrid1", 1);
    row("first, author", QKeySequence(Qt::ALT | Qt::Key_Home), "SpeedButton2", "Edit1", 1);
    row("previous, solution", QKeySequence(Qt::ALT | Qt::Key_PageUp), "SpeedButton3", "Memo1", 2);
    row("next, source", QKeySequence(Qt::ALT | Qt::Key_PageDown), "SpeedButton4", "ComboBox4", 4);
    row("last, board", QKeySequence(Qt::ALT | Qt::Key_End), "SpeedButton5", "DrawGrid1", 5);
    row("last, twins", QKeySequence(Qt::ALT | Qt::Key_End), "SpeedButton5", "Memo2", 5);
    row("new, author", QKeySequence(Qt::CTRL | Qt::Key_N), "SpeedButton10", "Edit1", 6);
}

void TestKeyboard::shortcutsReachTheirHandlers()
{
    QFETCH(QKeySequence, key);
    QFETCH(QString, button);
    QFETCH(QString, focused);
    QFETCH(int, item);
    showItem(3);
    auto* target = main().findChild<QWidget*>(focused);
    QVERIFY(target);
    main().PageControl1->setCurrentWidget(target->parentWidget());
    focus(target);
    press(key);
    QCOMPARE(main().currentItem(), item);
    // The button tells its key.
    auto* b = main().findChild<QToolButton*>(button);
    QVERIFY(b);
    QVERIFY2(b->toolTip().contains(key.toString(QKeySequence::NativeText)),
             qPrintable(b->toolTip()));
}

void TestKeyboard::shortcutsAskAsTheButtonsDo()
{
    showItem(3);
    focus(main().Edit1);
    QTest::keyClicks(main().Edit1, QStringLiteral("!"));
    QVERIFY(main().isEditing());
    // Cancel keeps the item and its edits.
    m_prompts->answers.push_back(Prompts::Answer::Cancel);
    press(QKeySequence(Qt::ALT | Qt::Key_PageDown));
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("question: Save all changes?"));
    QCOMPARE(main().currentItem(), 3);
    QCOMPARE(main().Edit1->text(), QStringLiteral("Author 3!"));
    // Ctrl+S saves it.
    press(QKeySequence(Qt::CTRL | Qt::Key_S));
    QVERIFY(!main().isEditing());
    QCOMPARE(main().openCollection().readItem(3).author, QStringLiteral("Author 3!"));
    // Ctrl+O opens the open dialog; cancelled, nothing changes.
    press(QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("open: Open or create collection"));
    QCOMPARE(main().currentItem(), 3);
}

void TestKeyboard::goToBoxAndSolveWindow()
{
    focus(board());
    press(QKeySequence(Qt::CTRL | Qt::Key_G));
    QVERIFY(main().Edit3->hasFocus());
    QCOMPARE(main().Edit3->selectedText(), QStringLiteral("1"));
    QTest::keyClicks(main().Edit3, QStringLiteral("4"));
    QTest::keyClick(main().Edit3, Qt::Key_Return);
    QCOMPARE(main().currentItem(), 4);
    QVERIFY(!m_program->solve().isVisible());
    press(QKeySequence(Qt::Key_F9));
    QTRY_VERIFY(m_program->solve().isVisible());
    QVERIFY(main().SpeedButton15->toolTip().contains(QStringLiteral("F9")));
}

void TestKeyboard::tabReachesEveryControl()
{
    focus(main().SpeedButton7);
    QStringList visited;
    for (int i = 0; i < 80; ++i) {
        QWidget* now = QApplication::focusWidget();
        QVERIFY(now);
        // An editable drop-down has the keyboard through its line.
        QWidget* control =
            qobject_cast<QComboBox*>(now->parentWidget()) ? now->parentWidget() : now;
        const QString name = control->objectName();
        if (visited.contains(name))
            break;
        visited << name;
        QTest::keyClick(now, Qt::Key_Tab);
    }
    // Toolbar, board, its tools and palette, navigation, the fields: in this order.
    const QStringList order = {"SpeedButton7", "SpeedButton15", "DrawGrid1",    "SpeedButton27",
                               "ListBox1",     "SpeedButton2",  "SpeedButton5", "Edit3",
                               "SpeedButton6", "SpeedButton26", "Edit1",        "ComboBox4",
                               "ComboBox1",    "ComboBox2"};
    qsizetype last = -1;
    for (const QString& name : order) {
        const qsizetype at = visited.indexOf(name);
        QVERIFY2(at > last, qPrintable(name + QStringLiteral(" in ") + visited.join(' ')));
        last = at;
    }
    // The other tabs' fields are reached once their tab is shown.
    main().PageControl1->setCurrentIndex(2);
    focus(main().SpeedButton26);
    QTest::keyClick(main().SpeedButton26, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), main().Memo1);
    // A multi-line field passes Tab on rather than taking it as text.
    QTest::keyClick(main().Memo1, Qt::Key_Tab);
    QVERIFY(!main().Memo1->hasFocus());
    QVERIFY(!main().Memo1->toPlainText().contains(QLatin1Char('\t')));
}

void TestKeyboard::positionsThroughTheClipboard()
{
    focus(board());
    QClipboard* clipboard = QGuiApplication::clipboard();
    QTest::keyClick(board(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("4k3/8/8/8/8/8/P7/4K3 w - -"));
    QVERIFY(!main().isEditing());

    // A FEN pasted on the board replaces the position as one edit, undone as one.
    clipboard->setText(QStringLiteral("7k/R7/6K1/8/8/8/8/8 w - - 0 1"));
    QTest::keyClick(board(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(main().board(), test::boardFrom(QStringLiteral("7k/R7/6K1/8/8/8/8/8")));
    QVERIFY(main().isEditing());
    QCOMPARE(main().Label3->text(), QStringLiteral("( 2 + 1 )"));
    QTest::keyClick(board(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(main().board(), test::boardFrom(QStringLiteral("4k3/8/8/8/8/8/P7/4K3")));

    // Text that is no position leaves the board alone and says why.
    clipboard->setText(QStringLiteral("Dear editor, here is my problem"));
    QTest::keyClick(board(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(main().board(), test::boardFrom(QStringLiteral("4k3/8/8/8/8/8/P7/4K3")));
    QVERIFY(m_prompts->shown.last().startsWith(
        QStringLiteral("message: The clipboard holds no position")));

    // Popeye's Forsyth with a fairy piece goes out and comes back.
    main().board().at(5, 2) = 2217; // a white camel on c6
    QTest::keyClick(board(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QString forsyth = clipboard->text();
    QVERIFY2(forsyth.startsWith(QStringLiteral("Forsyth ")), qPrintable(forsyth));
    main().board().clear();
    QTest::keyClick(board(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(main().board().at(5, 2), 2217);
    QCOMPARE(main().board().at(6, 0), 1);

    // Ctrl+C of a board with a fairy unit gives Fairy-FEN, never a FEN without the unit.
    QTest::keyClick(board(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY2(clipboard->text().contains(QStringLiteral("(CA)")), qPrintable(clipboard->text()));
    QVERIFY(main().statusBar()->currentMessage().contains(QStringLiteral("Fairy-FEN")));
    // A pasted FEN's en passant square is named as lost.
    clipboard->setText(QStringLiteral("4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1"));
    QTest::keyClick(board(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(m_prompts->shown.last().contains(QStringLiteral("en passant square e6")));
}

void TestKeyboard::boardCursor()
{
    focus(board());
    board()->setCurrentCell(0, 0);
    select(4); // white knight
    focus(board());
    for (int key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down,
                    Qt::Key_Left, Qt::Key_Right})
        QTest::keyClick(board(), Qt::Key(key));
    QCOMPARE(board()->currentRow(), 3);
    QCOMPARE(board()->currentColumn(), 2);
    QTest::keyClick(board(), Qt::Key_Space);
    QCOMPARE(main().board().at(3, 2), 5);
    QVERIFY(main().isEditing());
    QCOMPARE(main().Label3->text(), QStringLiteral("( 3 + 1 )"));
    // Enter replaces, as Ctrl with a click does.
    select(11);
    focus(board());
    QTest::keyClick(board(), Qt::Key_Return);
    QCOMPARE(main().board().at(3, 2), 12);
    // Delete empties.
    QTest::keyClick(board(), Qt::Key_Delete);
    QCOMPARE(main().board().at(3, 2), 0);
    // The cursor stops at the edges.
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(board(), Qt::Key_Up);
        QTest::keyClick(board(), Qt::Key_Left);
    }
    QCOMPARE(board()->currentRow(), 0);
    QCOMPARE(board()->currentColumn(), 0);
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(board(), Qt::Key_Down);
        QTest::keyClick(board(), Qt::Key_Right);
    }
    QCOMPARE(board()->currentRow(), 7);
    QCOMPARE(board()->currentColumn(), 7);
    // A fairy entry places the fairy dialog's last choice without the dialog.
    select(16);
    focus(board());
    QTest::keyClick(board(), Qt::Key_Space);
    QCOMPARE(main().board().at(7, 7), piece::make(17, 1, 0));
    // A click moves the cursor too.
    QTest::mouseClick(board(), Qt::LeftButton, {}, square(5, 1));
    QTest::keyClick(board(), Qt::Key_Delete);
    QCOMPARE(board()->currentRow(), 5);
    QCOMPARE(board()->currentColumn(), 1);
}

void TestKeyboard::cursorIsDrawnWhileTheBoardHasFocus()
{
    board()->setCurrentCell(4, 4);
    focus(main().Edit1);
    const QImage without = board()->grab().toImage();
    focus(board());
    const QImage with = board()->grab().toImage();
    const QRect area = board()->contentsRect();
    const qreal dpr = with.devicePixelRatio();
    auto differs = [&](int row, int column) {
        for (int y = 0; y < 27; ++y)
            for (int x = 0; x < 27; ++x) {
                const QPoint p((area.left() + column * 27 + x) * dpr,
                               (area.top() + row * 27 + y) * dpr);
                if (with.pixel(p) != without.pixel(p))
                    return true;
            }
        return false;
    };
    QVERIFY(differs(4, 4));
    QVERIFY(!differs(4, 5));
    QVERIFY(!differs(0, 0));
}

void TestKeyboard::typedPieces()
{
    const QString before = shown();
    focus(board());
    QTest::keyClick(board(), Qt::Key_W, Qt::NoModifier);
    PieceLine* line = main().PieceLine1;
    QVERIFY(line->isVisible());
    QTRY_VERIFY(line->edit()->hasFocus());
    QCOMPARE(line->edit()->text(), QStringLiteral("w"));
    QTest::keyClicks(line->edit(), QStringLiteral("Kc1, nALd4 royal wQh3 bSg8"));
    QTest::keyClick(line->edit(), Qt::Key_Return);
    QVERIFY(!line->isVisible());
    QVERIFY(board()->hasFocus());
    QCOMPARE(main().board().at(7, 2), 11);
    QCOMPARE(main().board().at(4, 3), piece::make(19, 7, 0));
    QCOMPARE(main().board().at(5, 7), piece::make(17, 73, 5));
    QCOMPARE(main().board().at(0, 6), 6);
    QCOMPARE(main().Label3->text(), QStringLiteral("( 4 + 2 + 1 )"));
    QVERIFY(main().isEditing());
    // The whole line is one edit.
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(shown(), before);
    QVERIFY(!main().isEditing());
}

void TestKeyboard::badTypedPiecesPlaceNothing()
{
    const QString before = shown();
    focus(board());
    QTest::keyClick(board(), Qt::Key_B, Qt::NoModifier);
    PieceLine* line = main().PieceLine1;
    QTest::keyClicks(line->edit(), QStringLiteral("Ke8 wXe1 wKe9"));
    // "bKe8" could be read: placing it alone is offered, and No places nothing.
    m_prompts->answers.push_back(Prompts::Answer::No);
    QTest::keyClick(line->edit(), Qt::Key_Return);
    QVERIFY(m_prompts->shown.last().contains(QStringLiteral("Place the 1 pieces")));
    QVERIFY(m_prompts->shown.last().contains(QStringLiteral("wXe1, wKe9")));
    QVERIFY(line->isVisible());
    QVERIFY(line->reason()->isVisible());
    QVERIFY(line->reason()->text().contains(QStringLiteral("wXe1")));
    QVERIFY(line->reason()->text().contains(QStringLiteral("wKe9")));
    QVERIFY(!line->reason()->text().contains(QStringLiteral("bKe8")));
    QCOMPARE(shown(), before);
    // A line of nothing that reads asks nothing.
    const qsizetype asked = m_prompts->shown.size();
    line->edit()->setText(QStringLiteral("wXa1"));
    QTest::keyClick(line->edit(), Qt::Key_Return);
    QCOMPARE(m_prompts->shown.size(), asked);
    QVERIFY(line->isVisible());
    QTest::keyClick(line->edit(), Qt::Key_Escape);
    QVERIFY(!line->isVisible());
    QVERIFY(board()->hasFocus());
    QCOMPARE(shown(), before);
    // Yes places the pieces that could be read, as one edit.
    QTest::keyClick(board(), Qt::Key_B, Qt::NoModifier);
    QTest::keyClicks(line->edit(), QStringLiteral("lack Kh8 Pg7 Zz9"));
    m_prompts->answers.push_back(Prompts::Answer::Yes);
    QTest::keyClick(line->edit(), Qt::Key_Return);
    QVERIFY(!line->isVisible());
    QCOMPARE(main().board().at(0, 7), 12);
    QCOMPARE(main().board().at(1, 6), 2);
}

void TestKeyboard::makeEdit(Edit edit)
{
    switch (edit) {
    case Edit::PaletteDrop:
        select(9);
        main().DrawGrid1DragDrop(PieceDrag{DragSource::Palette, 0, 0, 9},
                                 square(3, 3) - board()->contentsRect().topLeft());
        main().DrawGrid1EndDrag();
        break;
    case Edit::BoardDrop:
        main().DrawGrid1DragDrop(PieceDrag{DragSource::Board, 7, 4, -1},
                                 square(5, 5) - board()->contentsRect().topLeft());
        main().DrawGrid1EndDrag();
        break;
    case Edit::CtrlClick:
        select(2);
        QTest::mouseClick(board(), Qt::LeftButton, Qt::ControlModifier, square(0, 4));
        break;
    case Edit::RightClickEmpties:
        QTest::mouseClick(board(), Qt::RightButton, {}, square(6, 0));
        break;
    case Edit::Transformation:
        main().transformButtons.at(4)->click();
        break;
    case Edit::TypedLine:
        focus(board());
        QTest::keyClick(board(), Qt::Key_N, Qt::NoModifier);
        QTest::keyClicks(main().PieceLine1->edit(), QStringLiteral("Qa1 wSb1"));
        QTest::keyClick(main().PieceLine1->edit(), Qt::Key_Return);
        break;
    case Edit::SpaceKey:
        select(0);
        focus(board());
        board()->setCurrentCell(2, 2);
        QTest::keyClick(board(), Qt::Key_Space);
        break;
    case Edit::DeleteKey:
        focus(board());
        board()->setCurrentCell(0, 4);
        QTest::keyClick(board(), Qt::Key_Delete);
        break;
    case Edit::AuthorTyped:
        focus(main().Edit1);
        QTest::keyClick(main().Edit1, Qt::Key_End);
        QTest::keyClicks(main().Edit1, QStringLiteral("son"));
        break;
    case Edit::SourceChosen:
        main().ComboBox4->setCurrentIndex(3);
        break;
    case Edit::SolutionTyped:
        main().PageControl1->setCurrentIndex(2);
        focus(main().Memo1);
        QTest::keyClicks(main().Memo1, QStringLiteral("1.Qd1"));
        break;
    case Edit::TwinAdded:
        main().ComboBox3->setCurrentIndex(1);
        main().BitBtn1->click();
        break;
    }
}

void TestKeyboard::undoAndRedo_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::newRow("drop from the palette") << Edit::PaletteDrop;
    QTest::newRow("drop on the board") << Edit::BoardDrop;
    QTest::newRow("Ctrl with a click") << Edit::CtrlClick;
    QTest::newRow("right click empties") << Edit::RightClickEmpties;
    QTest::newRow("transformation") << Edit::Transformation;
    QTest::newRow("typed line") << Edit::TypedLine;
    QTest::newRow("Space on the board") << Edit::SpaceKey;
    QTest::newRow("Delete on the board") << Edit::DeleteKey;
    QTest::newRow("author typed") << Edit::AuthorTyped;
    QTest::newRow("source chosen") << Edit::SourceChosen;
    QTest::newRow("solution typed") << Edit::SolutionTyped;
    QTest::newRow("twin added") << Edit::TwinAdded;
}

void TestKeyboard::undoAndRedo()
{
    QFETCH(Edit, edit);
    showItem(2);
    const QString stored = shown();
    makeEdit(edit);
    const QString edited = shown();
    QVERIFY(edited != stored);
    QVERIFY(main().isEditing());
    // Undo from wherever the keyboard is.
    for (QWidget* where : {static_cast<QWidget*>(board()), static_cast<QWidget*>(main().Edit1)}) {
        focus(where);
        press(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(shown(), stored);
        QVERIFY(!main().isEditing());
        QCOMPARE(main().StatusPanel[2]->text(), QStringLiteral("Browse"));
        press(where == board() ? QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)
                               : QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(shown(), edited);
        QVERIFY(main().isEditing());
    }
}

void TestKeyboard::oneHistoryForBoardAndFields()
{
    const QString stored = shown();
    focus(main().Edit1);
    QTest::keyClick(main().Edit1, Qt::Key_End);
    QTest::keyClicks(main().Edit1, QStringLiteral(" and Jo"));
    const QString authored = shown();
    select(0);
    QTest::mouseClick(board(), Qt::LeftButton, Qt::ControlModifier, square(2, 2));
    const QString placed = shown();
    main().PageControl1->setCurrentIndex(2);
    focus(main().Memo1);
    QTest::keyClicks(main().Memo1, QStringLiteral("1.a3"));
    // The last thing done goes first, though the keyboard is in the solution.
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(shown(), placed);
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(shown(), authored);
    QVERIFY(main().isEditing());
    // Typing goes back a word at a time.
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(main().Edit1->text(), QStringLiteral("Author 1 and"));
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(main().Edit1->text(), QStringLiteral("Author 1"));
    QCOMPARE(shown(), stored);
    QVERIFY(!main().isEditing());
    // Nothing left to undo.
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(shown(), stored);
    // A new edit after undoing drops what could have been redone.
    QTest::keyClicks(main().Memo1, QStringLiteral("x"));
    press(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(main().Memo1->toPlainText(), QStringLiteral("x"));
    QCOMPARE(main().Edit1->text(), QStringLiteral("Author 1"));
}

void TestKeyboard::historyEndsWithTheItem()
{
    select(0);
    const PieceCode before = main().board().at(2, 2);
    QTest::mouseClick(board(), Qt::LeftButton, Qt::ControlModifier, square(2, 2));
    // Saved, the item is still the one shown: its history goes on. Undo takes back the
    // saved edit and the window is in Edit again; redo returns to what is stored.
    press(QKeySequence(Qt::CTRL | Qt::Key_S));
    const QString saved = shown();
    QVERIFY(!main().isEditing());
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(main().board().at(2, 2), before);
    QVERIFY(main().isEditing());
    press(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(shown(), saved);
    QVERIFY(!main().isEditing());
    QCOMPARE(main().board().at(2, 2), 1);
    // Another item shown: the history of the last one is gone.
    QTest::mouseClick(board(), Qt::LeftButton, Qt::ControlModifier, square(3, 3));
    m_prompts->answers.push_back(Prompts::Answer::No);
    press(QKeySequence(Qt::ALT | Qt::Key_PageDown));
    QCOMPARE(main().currentItem(), 2);
    const QString second = shown();
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(shown(), second);
    QVERIFY(!main().isEditing());
    // Item operations are not undone.
    press(QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(main().itemCount(), 6);
    press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(main().itemCount(), 6);
    QCOMPARE(main().currentItem(), 6);
}

void TestKeyboard::boardLabelsStayInTheirSquare()
{
    // The widest labels: a specification letter before a two-letter kind of wide capitals.
    for (const PieceCode code :
         {piece::make(17, 95, 10), piece::make(18, 109, 12), piece::make(19, 93, 13)}) {
        main().board().clear();
        main().board().at(4, 3) = code;
        const QImage image = board()->grab().toImage();
        const qreal dpr = image.devicePixelRatio();
        const QRect area = board()->contentsRect();
        for (int column : {2, 4}) {
            const QPoint corner((area.left() + column * 27) * dpr, (area.top() + 4 * 27) * dpr);
            const QRgb fill = image.pixel(corner + QPoint(13 * dpr, 1));
            for (int y = 0; y < 10 * dpr; ++y)
                for (int x = 0; x < 27 * dpr; ++x)
                    QVERIFY2(image.pixel(corner + QPoint(x, y)) == fill,
                             qPrintable(FairyLabel(code)));
        }
    }
}

void TestKeyboard::twinListIsAsWideAsItsEntries()
{
    QComboBox* twins = main().ComboBox3;
    main().PageControl1->setCurrentIndex(1);
    twins->showPopup();
    QAbstractItemView* list = twins->view();
    QTRY_VERIFY(list->isVisible());
    int widest = 0;
    for (int i = 0; i < twins->count(); ++i)
        widest = qMax(widest, list->fontMetrics().horizontalAdvance(twins->itemText(i)));
    QVERIFY(widest > twins->width());
    QVERIFY2(list->viewport()->width() >= widest,
             qPrintable(QStringLiteral("%1 < %2").arg(list->viewport()->width()).arg(widest)));
    twins->hidePopup();
}

void TestKeyboard::firstRunPosition()
{
    // No stored layout in this run's fresh settings.
    QCOMPARE(main().pos(), WindowLayout().main);
}

void TestKeyboard::programDialogShowsAllFiles()
{
    TForm6& options = m_program->options();
    options.show();
    options.Button11->click();
    options.hide();
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("open: Find SOLVE-exe file"));
    // The filter first chosen is the dialog's first: it must show a program without an
    // extension, as programs are on this system.
    const QString first = m_prompts->filters.last().section(QLatin1Char('|'), 1, 1);
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(first));
#ifdef Q_OS_WIN
    QVERIFY(pattern.match(QStringLiteral("stockfish.exe")).hasMatch());
#else
    QVERIFY2(pattern.match(QStringLiteral("stockfish")).hasMatch(), qPrintable(first));
#endif
}

void TestKeyboard::stockfishPageIsNotSqueezed()
{
    TForm6& options = m_program->options();
    options.PageControl2->setCurrentIndex(1);
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    for (QWidget* control :
         {static_cast<QWidget*>(options.ComboBox5), static_cast<QWidget*>(options.ComboBox4),
          static_cast<QWidget*>(options.ComboBox3), static_cast<QWidget*>(options.Edit2),
          static_cast<QWidget*>(options.Button11)})
        QVERIFY2(control->height() >= control->minimumSizeHint().height(),
                 qPrintable(QStringLiteral("%1: %2 < %3")
                                .arg(control->objectName())
                                .arg(control->height())
                                .arg(control->minimumSizeHint().height())));
    options.hide();
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
