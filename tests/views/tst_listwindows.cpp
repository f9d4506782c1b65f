#include "app/idgr.h"
#include "app/program.h"
#include "model/collection.h"
#include "model/sampleitems.h"
#include "app/scriptedprompts.h"
#include "settings/settings.h"
#include "views/diagramcell.h"
#include "views/list.h"
#include "views/listd.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;
using Answer = Prompts::Answer;

Q_DECLARE_METATYPE(vexil::Prompts::Answer)

namespace {

QStringList authorsIn(const QString& path)
{
    const Collection c = Collection::fromFile(path);
    QStringList authors;
    for (int n = 1; n <= c.itemCount(); ++n) {
        // Every copied item carries the number of its place.
        if (c.line(n * kItemLines) != ItemHeaderLine(n))
            return {QStringLiteral("bad header at %1").arg(n)};
        authors << c.readItem(n * kItemLines).author;
    }
    return authors;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class TestListWindows : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;
    QString m_file;

    TForm1& main() { return m_program->main(); }
    TForm3& list() { return m_program->list(); }
    TForm7& diagrams() { return m_program->diagrams(); }
    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }

    void show(int number)
    {
        main().ShowItem(number, main().FindItemLine(number));
        QCOMPARE(main().currentItem(), number);
    }
    void viewList() { QTest::mouseClick(main().SpeedButton23, Qt::LeftButton); }
    QPoint entryCentre(int number)
    {
        const QModelIndex index = list().ListBox1->model()->index(number - 1, 0);
        list().ListBox1->scrollTo(index);
        return list().ListBox1->visualRect(index).center();
    }
    // A real click on an entry; the item is shown once the click has been handled.
    void clickEntry(int number, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(list().ListBox1->viewport(), Qt::LeftButton, modifiers,
                          entryCentre(number));
        QTest::qWait(20);
    }
    void copySelected(const QString& target)
    {
        m_prompts->fileNames.push_back(target);
        QTest::mouseClick(list().BitBtn3, Qt::LeftButton);
    }
    // Runs `whileOpen` inside the modal list of diagrams opened with its main window button.
    void withDiagrams(const std::function<void()>& whileOpen)
    {
        bool ran = false;
        QTimer::singleShot(0, &diagrams(), [&] {
            ran = true;
            whileOpen();
            // Whatever the steps did, the window must not stay open.
            if (diagrams().isVisible())
                diagrams().reject();
        });
        QTest::mouseClick(main().SpeedButton26, Qt::LeftButton);
        QVERIFY(ran);
        QVERIFY(!diagrams().isVisible());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = path("c.dgr");
        Collection::fromLines(test::numberedCollection(6)).write(m_file);
        m_program = test::startProgram(m_dir->path(), m_prompts);
        // Every step below also checks that the models keep to Qt's rules for models.
        for (QAbstractItemModel* model : {list().ListBox1->model(), diagrams().DrawGrid1->model()})
            new QAbstractItemModelTester(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
        main().openNamedCollection(m_file);
        QCOMPARE(main().itemCount(), 6);
        viewList();
        QVERIFY(list().isVisible());
    }
    void cleanup()
    {
        m_program.reset();
        m_dir.reset();
    }

    void copyingSelectedItemsTwiceAppends();
    void copyRefusals_data();
    void copyRefusals();
    void findNext_data();
    void findNext();
    void findSeesWhatWasSavedSince();
    void choosingAnEntryInEdit_data();
    void choosingAnEntryInEdit();
    void choosingTheShownEntryAsksNothing();
    void enterAndDoubleClickCloseTheList_data();
    void enterAndDoubleClickCloseTheList();
    void choosingInTheListOfDiagrams_data();
    void choosingInTheListOfDiagrams();
    void theListOfDiagramsAsksOnce_data();
    void theListOfDiagramsAsksOnce();
    void everyControlAndEntryHasAnAccessibleName();
    void smallBoardsFollowViewCust_data();
    void smallBoardsFollowViewCust();
};

void TestListWindows::copyingSelectedItemsTwiceAppends()
{
    const QByteArray before = contentOf(m_file);
    clickEntry(2);
    clickEntry(4, Qt::ControlModifier);
    QCOMPARE(list().selectedNumbers(), (QList<int>{2, 4}));
    const QString target = path("new.dgr");
    copySelected(target);
    QCOMPARE(authorsIn(target), (QStringList{"Author 2", "Author 4"}));
    copySelected(target);
    QCOMPARE(authorsIn(target), (QStringList{"Author 2", "Author 4", "Author 2", "Author 4"}));
    // The header item starts the new file; the open collection is not touched.
    QCOMPARE(Collection::fromFile(target).line(0), ItemHeaderLine(0));
    QCOMPARE(contentOf(m_file), before);
    QCOMPARE(m_prompts->shown, (QStringList{"append: Copy item(s) to collection",
                                            "append: Copy item(s) to collection"}));
}

void TestListWindows::copyRefusals_data()
{
    QTest::addColumn<QString>("target");     // a name in the folder; "open" for the open file
    QTest::addColumn<QByteArray>("content"); // the target's content before; null: no file
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("authors"); // of the target afterwards; empty: unchanged

    QTest::newRow("the open collection")
        << "open" << QByteArray() << true << "message: Another collection should be chosen!"
        << QStringList();
    QTest::newRow("the open collection by another path")
        << "./sub/../c.dgr" << QByteArray() << true
        << "message: Another collection should be chosen!" << QStringList();
    Lines invalid = test::numberedCollection(1);
    invalid.removeLast();
    QTest::newRow("an invalid target") << "bad.dgr" << JoinLines(invalid) << true
                                       << "message: Invalid file format!" << QStringList();
    QTest::newRow("an existing empty file") << "empty.dgr" << QByteArray("") << true << QString()
                                            << QStringList{"Author 2", "Author 4"};
    QTest::newRow("an existing collection")
        << "other.dgr" << JoinLines(test::numberedCollection(1)) << true << QString()
        << QStringList{"Author 1", "Author 2", "Author 4"};
    QTest::newRow("nothing selected")
        << "none.dgr" << QByteArray() << false << QString() << QStringList();
}

void TestListWindows::copyRefusals()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, content);
    QFETCH(bool, select);
    QFETCH(QString, message);
    QFETCH(QStringList, authors);
    QDir(m_dir->path()).mkdir(QStringLiteral("sub"));
    const QString name = target == QLatin1String("open") ? m_file : m_dir->filePath(target);
    if (!content.isNull()) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QByteArray targetBefore = contentOf(name);
    const QByteArray openBefore = contentOf(m_file);
    list().clearAllSelections();
    if (select) {
        const QAbstractItemModel* model = list().ListBox1->model();
        for (int row : {1, 3})
            list().ListBox1->selectionModel()->select(model->index(row, 0),
                                                      QItemSelectionModel::Select);
    }
    m_prompts->shown.clear();
    copySelected(name);
    if (!select) {
        QVERIFY(m_prompts->shown.isEmpty()); // no dialog either
        m_prompts->fileNames.clear();
    } else if (message.isEmpty()) {
        QCOMPARE(m_prompts->shown.size(), 1);
    } else {
        QCOMPARE(m_prompts->shown.value(1), message);
    }
    if (authors.isEmpty())
        QCOMPARE(contentOf(name), targetBefore);
    else
        QCOMPARE(authorsIn(name), authors);
    QCOMPARE(contentOf(m_file), openBefore);
}

void TestListWindows::findNext_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("shown"); // after each press; 0: "not found"

    QTest::newRow("every item in turn, wrapping")
        << 3 << "author" << QList<int>{4, 5, 6, 1, 2, 3, 4};
    QTest::newRow("header line") << 1 << "Dg[5]" << QList<int>{5, 5};
    QTest::newRow("earlier item") << 4 << "Author 2" << QList<int>{2};
    QTest::newRow("the current item itself") << 4 << "AUTHOR 4" << QList<int>{4};
    QTest::newRow("board row") << 1 << "[6,0" << QList<int>{6};
    QTest::newRow("empty text") << 2 << "" << QList<int>{0};
    QTest::newRow("nowhere") << 2 << "Loyd" << QList<int>{0, 0};
}

void TestListWindows::findNext()
{
    QFETCH(int, start);
    QFETCH(QString, text);
    QFETCH(QList<int>, shown);
    show(start);
    list().Edit1->setText(text);
    for (int expected : shown) {
        m_prompts->shown.clear();
        QTest::mouseClick(list().BitBtn1, Qt::LeftButton);
        if (expected == 0) {
            QCOMPARE(m_prompts->shown, QStringList{"message: Vexil did not find items!"});
            QCOMPARE(main().currentItem(), start);
        } else {
            QVERIFY(m_prompts->shown.isEmpty());
            QCOMPARE(main().currentItem(), expected);
            QCOMPARE(list().ListBox1->currentIndex().row(), expected - 1);
        }
    }
}

void TestListWindows::findSeesWhatWasSavedSince()
{
    show(2);
    list().Edit1->setText(QStringLiteral("Zebra"));
    QTest::mouseClick(list().BitBtn1, Qt::LeftButton);
    QCOMPARE(m_prompts->shown, QStringList{"message: Vexil did not find items!"});
    main().Edit1->setText(QStringLiteral("A. Zebra"));
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton); // Save
    QVERIFY(!main().isEditing());
    viewList();
    show(5);
    m_prompts->shown.clear();
    QTest::mouseClick(list().BitBtn1, Qt::LeftButton);
    QVERIFY(m_prompts->shown.isEmpty());
    QCOMPARE(main().currentItem(), 2);
}

void TestListWindows::choosingAnEntryInEdit_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("storedAuthor"); // of item 1
    QTest::newRow("Yes saves, then shows") << Answer::Yes << 3 << "Changed";
    QTest::newRow("No shows without saving") << Answer::No << 3 << "Author 1";
    QTest::newRow("Cancel stays") << Answer::Cancel << 1 << "Author 1";
}

void TestListWindows::choosingAnEntryInEdit()
{
    QFETCH(Answer, answer);
    QFETCH(int, shown);
    QFETCH(QString, storedAuthor);
    show(1);
    main().Edit1->setText(QStringLiteral("Changed"));
    QVERIFY(main().isEditing());
    m_prompts->answers.push_back(answer);
    clickEntry(3);
    QCOMPARE(m_prompts->shown, QStringList{"question: Save all changes?"});
    QCOMPARE(main().currentItem(), shown);
    QCOMPARE(authorsIn(m_file).value(0), storedAuthor);
    // The list's current entry is on the item shown, whatever the answer.
    QCOMPARE(list().ListBox1->currentIndex().row(), shown - 1);
    if (answer == Answer::Cancel) {
        QVERIFY(main().isEditing());
        QCOMPARE(main().Edit1->text(), QStringLiteral("Changed"));
        QVERIFY(!list().ListBox1->selectionModel()->isRowSelected(2, {}));
        // The same entry can be chosen again.
        m_prompts->answers.push_back(Answer::No);
        clickEntry(3);
        QCOMPARE(main().currentItem(), 3);
    }
}

void TestListWindows::choosingTheShownEntryAsksNothing()
{
    show(2);
    main().Edit1->setText(QStringLiteral("Changed"));
    m_prompts->answers.push_back(Answer::No);
    clickEntry(1);
    QCOMPARE(main().currentItem(), 1);
    m_prompts->shown.clear();
    main().Edit1->setText(QStringLiteral("Changed again"));
    clickEntry(1);
    QVERIFY(m_prompts->shown.isEmpty());
    QVERIFY(main().isEditing());
}

void TestListWindows::enterAndDoubleClickCloseTheList_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("Enter") << false;
    QTest::newRow("double click") << true;
}

void TestListWindows::enterAndDoubleClickCloseTheList()
{
    QFETCH(bool, doubleClick);
    show(1);
    if (doubleClick) {
        const QPoint at = entryCentre(5);
        QTest::mouseClick(list().ListBox1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list().ListBox1->viewport(), Qt::LeftButton, {}, at);
    } else {
        clickEntry(5);
        QTest::keyClick(list().ListBox1, Qt::Key_Return);
    }
    QTest::qWait(20);
    QVERIFY(!list().isVisible());
    QCOMPARE(main().currentItem(), 5);
    viewList();
    QVERIFY(list().isVisible());
}

void TestListWindows::choosingInTheListOfDiagrams_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("close"); // "enter", "close box", "escape", "double click"
    QTest::addColumn<int>("shown");     // afterwards; -1: the item of the cell right of start

    QTest::newRow("Enter on the item shown") << 4 << QList<int>{} << "enter" << 4;
    QTest::newRow("right, Enter") << 2 << QList<int>{Qt::Key_Right} << "enter" << 3;
    QTest::newRow("left, Enter") << 2 << QList<int>{Qt::Key_Left} << "enter" << 1;
    QTest::newRow("close box") << 4 << QList<int>{Qt::Key_Left} << "close box" << 4;
    QTest::newRow("Escape") << 4 << QList<int>{Qt::Key_Left} << "escape" << 4;
    QTest::newRow("double click") << 6 << QList<int>{} << "double click" << 2;
    QTest::newRow("an empty cell")
        << 6 << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_End} << "enter" << 6;
}

void TestListWindows::choosingInTheListOfDiagrams()
{
    QFETCH(int, start);
    QFETCH(QList<int>, keys);
    QFETCH(QString, close);
    QFETCH(int, shown);
    show(start);
    int openedOn = 0;
    int chosen = 0;
    withDiagrams([&] {
        QTableView* grid = diagrams().DrawGrid1;
        openedOn = diagrams().chosenNumber();
        for (int key : keys)
            QTest::keyClick(grid, Qt::Key(key));
        chosen = diagrams().chosenNumber();
        if (close == QLatin1String("enter")) {
            QTest::keyClick(grid, Qt::Key_Return);
        } else if (close == QLatin1String("escape")) {
            QTest::keyClick(grid, Qt::Key_Escape);
        } else if (close == QLatin1String("close box")) {
            diagrams().close();
        } else {
            const QModelIndex cell = grid->model()->index(0, 1);
            const QPoint at = grid->visualRect(cell).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        }
    });
    QCOMPARE(openedOn, start);
    QCOMPARE(main().currentItem(), shown);
    QVERIFY(m_prompts->shown.isEmpty());
    if (QTest::currentDataTag() == QLatin1String("an empty cell"))
        QVERIFY(chosen > main().itemCount());
    QVERIFY(diagrams().columnCount() >= 2);
}

void TestListWindows::theListOfDiagramsAsksOnce_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("storedAuthor"); // of item 1
    QTest::newRow("Yes saves") << Answer::Yes << "Changed";
    QTest::newRow("No drops the changes") << Answer::No << "Author 1";
}

void TestListWindows::theListOfDiagramsAsksOnce()
{
    QFETCH(Answer, answer);
    QFETCH(QString, storedAuthor);
    show(1);
    main().Edit1->setText(QStringLiteral("Changed"));
    m_prompts->answers.push_back(answer);
    withDiagrams([&] {
        QTableView* grid = diagrams().DrawGrid1;
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Return);
    });
    // Asked before the window opened, and not again for the cell chosen.
    QCOMPARE(m_prompts->shown, QStringList{"question: Save all changes?"});
    QCOMPARE(main().currentItem(), 3);
    QVERIFY(!main().isEditing());
    QCOMPARE(authorsIn(m_file).value(0), storedAuthor);
}

void TestListWindows::everyControlAndEntryHasAnAccessibleName()
{
    withDiagrams([&] {
        for (QWidget* window :
             {static_cast<QWidget*>(&list()), static_cast<QWidget*>(&diagrams())}) {
            for (QWidget* control : window->findChildren<QWidget*>()) {
                if (control->focusPolicy() == Qt::NoFocus || !control->isVisible())
                    continue;
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
                QVERIFY(a);
                QVERIFY2(!a->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
            }
        }
        // The cells read as their item.
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(diagrams().DrawGrid1);
        QVERIFY(grid && grid->tableInterface());
        QAccessibleInterface* cell = grid->tableInterface()->cellAt(0, 1);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("2. Author 2"));
    });
    QAccessibleInterface* entries = QAccessible::queryAccessibleInterface(list().ListBox1);
    QVERIFY(entries && entries->tableInterface());
    QAccessibleInterface* entry = entries->tableInterface()->cellAt(2, 0);
    QVERIFY(entry);
    QCOMPARE(entry->text(QAccessible::Name), QStringLiteral("3. Author 3"));
}

void TestListWindows::smallBoardsFollowViewCust_data()
{
    QTest::addColumn<bool>("viewCust");
    QTest::newRow("own colours") << false;
    QTest::newRow("the settings' colours") << true;
}

void TestListWindows::smallBoardsFollowViewCust()
{
    QFETCH(bool, viewCust);
    Settings settings;
    settings.ViewCust = viewCust;
    settings.White = 0x0000FFFF; // yellow
    settings.Black = 0x00800000; // navy
    Board board;
    // A black fairy piece of the first kind on b8, a dark square.
    board.at(0, 1) = piece::make(piece::kFairyBlack, 1, 0);
    const PictureSet pictures;
    QImage image(kDiagramCellSize, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    PaintDiagramCell(painter, QPoint(0, 0), Entry{"1. A", "B", "#2"}, board,
                     DiagramSquareColors(settings), pictures);
    painter.end();
    const QColor light = viewCust ? QColor(255, 255, 0) : QColor(255, 255, 255);
    const QColor dark = viewCust ? QColor(0, 0, 128) : QColor(192, 192, 192);
    QCOMPARE(image.pixelColor(11 + 2, 43 + 20), light);                    // a8, bottom-left corner
    QCOMPARE(image.pixelColor(11 + 2, 43 + 21 + 20), dark);                // a7
    QCOMPARE(image.pixelColor(11 + 21 * 7 + 20, 43 + 21 * 7 + 20), light); // h1
    // The frame's outline, just left of and above the squares.
    QCOMPARE(image.pixelColor(10, 100), QColor(Qt::black));
    QCOMPARE(image.pixelColor(100, 42), QColor(Qt::black));
    QCOMPARE(image.pixelColor(179, 100), QColor(Qt::black));
    QCOMPARE(image.pixelColor(100, 211), QColor(Qt::black));
    // The fairy piece's square is not plain: figure and label are on it.
    int marked = 0;
    for (int y = 43; y < 43 + 21; ++y)
        for (int x = 32; x < 32 + 21; ++x)
            marked += image.pixelColor(x, y) != dark;
    QVERIFY(marked > 20);
}

QTEST_MAIN(TestListWindows)
#include "tst_listwindows.moc"
