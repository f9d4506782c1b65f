#include "app/boardview.h"
#include "app/fairy.h"
#include "app/idgr.h"
#include "app/palette.h"
#include "app/program.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace vexil;

namespace {

// The picture was found and drawn: some of its pixels are not transparent.
bool hasInk(const QIcon& icon)
{
    const QImage image = icon.pixmap(QSize(20, 20)).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                return true;
    return false;
}

} // namespace

class TestBoardEditing : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;

    TForm1& main() { return m_program->main(); }
    TForm4& fairy() { return m_program->fairy(); }
    Board& board() { return main().board(); }
    // A point of the board's client area, given in client pixels.
    QPoint at(int x, int y) { return main().DrawGrid1->contentsRect().topLeft() + QPoint(x, y); }
    QPoint square(int row, int column) { return at(column * 27 + 14, row * 27 + 14); }
    void click(Qt::MouseButton button, QPoint point, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(main().DrawGrid1, button, modifiers, point);
    }
    void select(int entry)
    {
        Palette* palette = main().ListBox1;
        palette->scrollToItem(palette->item(entry));
        QTest::mouseClick(palette->viewport(), Qt::LeftButton, {},
                          palette->visualItemRect(palette->item(entry)).center());
        QCOMPARE(palette->selectedEntry(), entry);
    }
    void openItem()
    {
        main().openNamedCollection(m_dir->filePath(QStringLiteral("c.dgr")));
        QCOMPARE(main().currentItem(), 1);
        QVERIFY(!main().isEditing());
    }
    // Drops a palette entry on a square as a drag would, answering the fairy dialog.
    void dropFromPalette(int entry, int row, int column, std::function<void()> answer = {})
    {
        select(entry);
        bool answered = false;
        if (answer)
            QTimer::singleShot(0, [&] {
                QVERIFY(fairy().isVisible());
                answer();
                answered = true;
            });
        main().DrawGrid1DragDrop(PieceDrag{DragSource::Palette, 0, 0, entry},
                                 square(row, column) - at(0, 0));
        main().DrawGrid1EndDrag();
        QCOMPARE(answered, bool(answer));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        test::ScriptedPrompts* prompts = nullptr;
        m_program = test::startProgram(m_dir->path(), prompts);
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
    }
    void cleanup() { m_program.reset(); }

    void thePalette();
    void rightClicks();
    void ctrlClickReplaces();
    void otherButtonsAndKeysDoNothing();
    void theTwoPixelOffset_data();
    void theTwoPixelOffset();
    void fairyPlacementsWithoutTheDialog();
    void fairyDrops();
    void boardDrops();
    void theFairyDialog();
    void transformationButtons();
    void fairyPiecesTextAndTwins();
    void fairyLabelsArePainted();
};

void TestBoardEditing::thePalette()
{
    Palette* palette = main().ListBox1;
    QCOMPARE(palette->count(), 22);
    QCOMPARE(palette->selectedEntry(), -1);
    QCOMPARE(palette->item(0)->text(), QStringLiteral("1"));
    // Two entries to a column: entry 1 under entry 0, entry 2 beside it.
    const QRect first = palette->visualItemRect(palette->item(0));
    QCOMPARE(palette->visualItemRect(palette->item(1)).topLeft(),
             first.bottomLeft() + QPoint(0, 1));
    QCOMPARE(palette->visualItemRect(palette->item(2)).topLeft(), first.topRight() + QPoint(1, 0));
    QCOMPARE(first.height(), 26);
    QCOMPARE(palette->viewport()->width(), 8 * 26);
}

void TestBoardEditing::rightClicks()
{
    openItem();
    // With nothing selected a right click on an empty square places nothing, but edits.
    click(Qt::RightButton, square(4, 4));
    QCOMPARE(board().at(4, 4), 0);
    QVERIFY(main().isEditing());
    select(4); // white knight
    main().ShowItem(1, 14);
    click(Qt::RightButton, square(4, 4));
    QCOMPARE(board().at(4, 4), 5);
    QVERIFY(main().isEditing());
    QCOMPARE(main().Label3->text(), QStringLiteral("( 1 + 0 )"));
    select(11);                           // black king
    click(Qt::RightButton, square(4, 4)); // occupied: emptied, not replaced
    QCOMPARE(board().at(4, 4), 0);
    QCOMPARE(main().Label3->text(), QStringLiteral("( 0 + 0 )"));
}

void TestBoardEditing::ctrlClickReplaces()
{
    openItem();
    board().at(0, 0) = 11;
    select(9); // black queen
    click(Qt::LeftButton, square(0, 0), Qt::ControlModifier);
    QCOMPARE(board().at(0, 0), 10);
    QVERIFY(main().isEditing());
    select(21); // cross marker
    click(Qt::LeftButton, square(7, 7), Qt::ControlModifier);
    QCOMPARE(board().at(7, 7), 22);
    QCOMPARE(main().Label3->text(), QStringLiteral("( 0 + 1 )"));
}

void TestBoardEditing::otherButtonsAndKeysDoNothing()
{
    openItem();
    select(0);
    click(Qt::LeftButton, square(2, 2));
    click(Qt::LeftButton, square(2, 2), Qt::ShiftModifier);
    click(Qt::LeftButton, square(2, 2), Qt::AltModifier);
    click(Qt::LeftButton, square(2, 2), Qt::ControlModifier | Qt::ShiftModifier);
    click(Qt::MiddleButton, square(2, 2));
    // The press that completes a double click edits nothing.
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, square(3, 3),
                                main().DrawGrid1->mapToGlobal(square(3, 3)), button, button,
                                button == Qt::LeftButton ? Qt::ControlModifier : Qt::NoModifier);
        QApplication::sendEvent(main().DrawGrid1, &doubleClick);
    }
    QCOMPARE(board(), Board{});
    QVERIFY(!main().isEditing());
    // The left button alone moves the current cell, a right press does not.
    click(Qt::LeftButton, square(5, 6));
    QCOMPARE(main().DrawGrid1->currentRow(), 5);
    QCOMPARE(main().DrawGrid1->currentColumn(), 6);
    click(Qt::RightButton, square(1, 1));
    QCOMPARE(main().DrawGrid1->currentRow(), 5);
}

void TestBoardEditing::theTwoPixelOffset_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("column");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("27") << 27 << 0;
    QTest::newRow("28") << 28 << 0;
    QTest::newRow("29") << 29 << 1;
    QTest::newRow("215") << 215 << 7;
}

void TestBoardEditing::theTwoPixelOffset()
{
    QFETCH(int, x);
    QFETCH(int, column);
    openItem();
    select(2);
    click(Qt::LeftButton, at(x, 40), Qt::ControlModifier);
    QCOMPARE(board().at(1, column), 3);
}

void TestBoardEditing::fairyPlacementsWithoutTheDialog()
{
    openItem();
    select(16); // white fairy piece; the dialog was never used: kind 1, no specification
    click(Qt::LeftButton, square(0, 0), Qt::ControlModifier);
    QCOMPARE(board().at(0, 0), 117);
    fairy().ComboBox1->setCurrentIndex(39); // g
    fairy().ListBox1->setCurrentRow(1);     // chameleon
    select(17);
    click(Qt::RightButton, square(0, 1));
    QCOMPARE(board().at(0, 1), 104018);
    QVERIFY(!fairy().isVisible());
    QCOMPARE(FairyCode(19, 72, 0), 7319);
}

void TestBoardEditing::fairyDrops()
{
    openItem();
    dropFromPalette(18, 3, 3, [&] {
        fairy().ComboBox1->setCurrentIndex(72); // q
        QTest::mouseClick(fairy().Button1, Qt::LeftButton);
    });
    QCOMPARE(board().at(3, 3), 7319);
    QCOMPARE(PictureIndex(7319, main().fairyPictures()), 19);
    QCOMPARE(FairyLabel(7319), QStringLiteral("Q"));
    QCOMPARE(main().Label3->text(), QStringLiteral("( 0 + 0 + 1 )"));

    // Cancel: nothing placed, and still the item is in Edit.
    main().ShowItem(1, 14);
    dropFromPalette(16, 2, 2, [&] { QTest::mouseClick(fairy().Button2, Qt::LeftButton); });
    QCOMPARE(board(), Board{});
    QVERIFY(main().isEditing());

    // A plain entry needs no dialog.
    dropFromPalette(19, 5, 5);
    QCOMPARE(board().at(5, 5), 20);
}

void TestBoardEditing::boardDrops()
{
    openItem();
    board().at(6, 4) = 1;
    board().at(4, 4) = 12;
    main().DrawGrid1DragDrop(PieceDrag{DragSource::Board, 6, 4}, square(4, 4) - at(0, 0));
    main().DrawGrid1EndDrag();
    QCOMPARE(board().at(4, 4), 1);
    QCOMPARE(board().at(6, 4), 0);
    QCOMPARE(main().Label3->text(), QStringLiteral("( 1 + 0 )"));

    // On its own square: nothing changes, but the item is in Edit.
    main().ShowItem(1, 14);
    board().at(0, 0) = 9;
    main().DrawGrid1DragDrop(PieceDrag{DragSource::Board, 0, 0}, square(0, 0) - at(0, 0));
    main().DrawGrid1EndDrag();
    QCOMPARE(board().at(0, 0), 9);
    QVERIFY(main().isEditing());
}

void TestBoardEditing::theFairyDialog()
{
    QCOMPARE(fairy().windowTitle(), QStringLiteral("Fairy pieces"));
    QCOMPARE(fairy().ListBox1->count(), 14);
    QCOMPARE(fairy().ComboBox1->count(), 129);
    QVERIFY(!fairy().ComboBox1->isEditable());
    QCOMPARE(fairy().ComboBox1->maxVisibleItems(), 12);
    QCOMPARE(fairy().ComboBox1->itemText(116), QStringLiteral("36 3,6-leaper"));
    auto labels = fairy().findChildren<QLabel*>();
    QStringList texts;
    for (QLabel* l : labels)
        texts << l->text();
    QVERIFY(texts.contains(QStringLiteral("Specyfication")));
    QVERIFY(texts.contains(QStringLiteral("Kind  (partly in alphabetical order ->zebrarider)")));
    // Each showing starts without a specification; the kind stays.
    fairy().ListBox1->setCurrentRow(5);
    fairy().ComboBox1->setCurrentIndex(95);
    QTimer::singleShot(0, [&] {
        QCOMPARE(fairy().ListBox1->currentRow(), 0);
        QCOMPARE(fairy().ComboBox1->currentIndex(), 95);
        fairy().reject();
    });
    fairy().exec();
    QCOMPARE(fairy().fairyCode(17), 9617);
}

void TestBoardEditing::transformationButtons()
{
    QStringList order;
    for (QToolButton* b : main().transformButtons) {
        order << b->toolTip();
        QCOMPARE(b->size(), QSize(25, 25));
        QVERIFY(b->autoRaise());
        QVERIFY(hasInk(b->icon()));
    }
    for (QToolButton* b :
         {main().SpeedButton7, main().SpeedButton8, main().SpeedButton13, main().SpeedButton15})
        QVERIFY2(hasInk(b->icon()), qPrintable(b->text()));
    QCOMPARE(order, (QStringList{"Move left", "Move up", "Move down", "Move right", "Rotation",
                                 "Vertical mirror", "Horizontal mirror", "Exchange colors",
                                 "Clear diagram"}));
    // Always enabled, and with no collection open only the board changes.
    board().at(0, 0) = 11;
    QTest::mouseClick(main().transformButtons[3], Qt::LeftButton);
    QCOMPARE(board().at(0, 1), 11);
    QVERIFY(!main().isEditing());

    openItem();
    board().at(3, 0) = 11; // a5
    board().at(0, 7) = 12; // h8
    board().at(7, 3) = 7319;
    main().UpdatePieceCount();
    const QList<std::pair<int, QString>> steps = {
        {0, "( 0 + 1 + 1 )"}, // left: the king on a5 is gone
        {4, "( 0 + 1 + 1 )"}, {7, "( 1 + 0 + 1 )"}, {2, "( 1 + 0 + 1 )"},
        {1, "( 1 + 0 + 1 )"}, {8, "( 0 + 0 )"}};
    for (const auto& [button, count] : steps) {
        main().ShowItem(1, 14);
        QTest::mouseClick(main().transformButtons[button], Qt::LeftButton);
        QVERIFY(main().isEditing());
        Q_UNUSED(count);
    }
    board() = Board{};
    board().at(3, 0) = 11;
    board().at(0, 7) = 12;
    board().at(7, 3) = 7319;
    for (const auto& [button, count] : steps) {
        QTest::mouseClick(main().transformButtons[button], Qt::LeftButton);
        QCOMPARE(main().Label3->text(), count);
    }
}

void TestBoardEditing::fairyPiecesTextAndTwins()
{
    openItem();
    board().at(0, 0) = 13;
    board().at(0, 1) = 4018;
    QTest::mouseClick(main().Button1, Qt::LeftButton);
    QCOMPARE(main().Memo3->toPlainText(),
             QStringLiteral("pieces=G<grasshopper>b8, G<grasshopper>a8"));
    QVERIFY(!main().isEditing()); // the text is no part of the item

    QComboBox* templates = main().ComboBox3;
    QCOMPARE(templates->count(), 43);
    QCOMPARE(templates->maxVisibleItems(), 13);
    QVERIFY(!main().Label10->isEnabled());
    QTest::mouseClick(main().BitBtn1, Qt::LeftButton); // empty: nothing
    QCOMPARE(main().Memo2->toPlainText(), QString());
    QVERIFY(!main().isEditing());
    templates->setCurrentIndex(5);
    QTest::mouseClick(main().BitBtn1, Qt::LeftButton);
    QTest::mouseClick(main().BitBtn1, Qt::LeftButton);
    QCOMPARE(main().Memo2->toPlainText(), QStringLiteral("Twin  Rotate <n>\nTwin  Rotate <n>"));
    QCOMPARE(templates->currentText(), QStringLiteral("Twin  Rotate <n>"));
    QVERIFY(main().isEditing());
    QVERIFY(main().Label10->isEnabled());
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QCOMPARE(main().fieldsItem().twins, (QStringList{"Twin  Rotate <n>", "Twin  Rotate <n>"}));
    // Showing an item empties the fairy text and the builder's field.
    QCOMPARE(main().Memo3->toPlainText(), QString());
    QCOMPARE(templates->currentText(), QString());
}

void TestBoardEditing::fairyLabelsArePainted()
{
    openItem();
    auto inkInUpperHalf = [&](int row, int column) {
        const QImage image = main().DrawGrid1->grab().toImage();
        const qreal dpr = image.devicePixelRatio();
        int ink = 0;
        const QPoint origin = main().DrawGrid1->contentsRect().topLeft();
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 27; ++x)
                if (qGray(image.pixel((origin + QPoint(column * 27 + x, row * 27 + y)) * dpr)) < 60)
                    ++ink;
        return ink;
    };
    board().at(0, 0) = 4017; // generic picture, label G above it
    board().at(0, 2) = 11;   // a king reaches into the upper half too
    board().at(0, 4) = 0;
    main().DrawGrid1->update();
    QVERIFY(inkInUpperHalf(0, 0) > 5);
    QCOMPARE(inkInUpperHalf(0, 4), 0);
    board().at(0, 0) = 17; // kind 0: labelled "?" rather than crashing
    QVERIFY(inkInUpperHalf(0, 0) > 3);
}

QTEST_MAIN(TestBoardEditing)
#include "tst_boardediting.moc"
