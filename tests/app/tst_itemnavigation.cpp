#include "app/idgr.h"
#include "app/program.h"
#include "model/collection.h"
#include "model/sampleitems.h"
#include "scriptedprompts.h"
#include "views/list.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;
using Answer = Prompts::Answer;
using test::numberedCollection;

class TestItemNavigation : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;
    QString m_file;

    TForm1& main() { return m_program->main(); }
    void click(QToolButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString author() { return main().Edit1->text(); }
    QStringList fileAuthors()
    {
        const Collection c = Collection::fromFile(m_file);
        QStringList authors;
        for (int n = 1; n <= c.itemCount(); ++n)
            authors << c.readItem(c.FindItemLine(n)).author;
        return authors;
    }
    void open(int count)
    {
        Collection::fromLines(numberedCollection(count)).write(m_file);
        main().openNamedCollection(m_file);
        QCOMPARE(main().itemCount(), count);
    }
    void show(int number) { main().ShowItem(number, main().FindItemLine(number)); }
    // Makes every further write of the collection fail.
    void blockTheFile()
    {
        QVERIFY(QFile::remove(m_file));
        QVERIFY(QDir().mkdir(m_file));
    }
    // Memory, window and list agree with what the file held before the failed write.
    void checkStillAsBefore(const Lines& lines, int current, const QString& panel)
    {
        QCOMPARE(main().collection().lines(), lines);
        QCOMPARE(main().itemCount(), int(lines.size() / kItemLines) - 1);
        QCOMPARE(main().currentItem(), current);
        QCOMPARE(main().StatusPanel[1]->text(), panel);
        QCOMPARE(m_program->list().list()->model()->rowCount(), main().itemCount());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = m_dir->filePath(QStringLiteral("c.dgr"));
        m_program = test::startProgram(m_dir->path(), m_prompts);
    }
    void cleanup() { m_program.reset(); }

    void walkingTheItems();
    void walkingAsksOnlyInEdit();
    void goTo_data();
    void goTo();
    void cancelRestoresTheStoredItem();
    void newItem();
    void newItemWithAnEmptyAuthorStaysInBrowse();
    void deleteItem();
    void deleteRefusals();
    void changeNumber();
    void changeNumberThatDoesNothing();
    void failedWritesLeaveMemoryAsTheFile();
    void aCollectionOfOnlyTheHeaderItem();
    void theListFollowsTheCurrentItem();
    void largeNumbersFitTheGoToBox();
};

void TestItemNavigation::walkingTheItems()
{
    open(4);
    QCOMPARE(author(), QStringLiteral("Author 1"));
    click(main().SpeedButton4);
    QCOMPARE(author(), QStringLiteral("Author 2"));
    click(main().SpeedButton5);
    QCOMPARE(author(), QStringLiteral("Author 4"));
    QCOMPARE(main().Edit3->text(), QStringLiteral("4"));
    click(main().SpeedButton4); // nothing after the last
    QCOMPARE(main().currentItem(), 4);
    click(main().SpeedButton3);
    QCOMPARE(author(), QStringLiteral("Author 3"));
    click(main().SpeedButton2);
    QCOMPARE(author(), QStringLiteral("Author 1"));
    click(main().SpeedButton3); // nothing before the first
    QCOMPARE(main().currentItem(), 1);
    QVERIFY(m_prompts->shown.isEmpty());
}

void TestItemNavigation::walkingAsksOnlyInEdit()
{
    open(3);
    for (QToolButton* button : {main().SpeedButton3, main().SpeedButton2}) {
        QTest::keyClicks(main().Edit1, QStringLiteral("x"));
        m_prompts->answers.push_back(Answer::Cancel);
        click(button);
        QCOMPARE(m_prompts->shown.takeLast(), QStringLiteral("question: Save all changes?"));
        QVERIFY(main().isEditing());
        // No: the item is shown again as stored, even where there is nowhere to go.
        m_prompts->answers.push_back(Answer::No);
        click(button);
        QCOMPARE(m_prompts->shown.takeLast(), QStringLiteral("question: Save all changes?"));
        QCOMPARE(main().currentItem(), 1);
        QCOMPARE(author(), button == main().SpeedButton2 ? QStringLiteral("Author 1")
                                                         : QStringLiteral("Author 1x"));
        main().ShowItem(1, 14);
    }
    show(3);
    QTest::keyClicks(main().Edit1, QStringLiteral("!"));
    m_prompts->answers.push_back(Answer::Yes);
    click(main().SpeedButton4); // Next on the last item: saved, nothing else
    QCOMPARE(main().currentItem(), 3);
    QVERIFY(!main().isEditing());
    QCOMPARE(fileAuthors().last(), QStringLiteral("Author 3!"));
}

void TestItemNavigation::goTo_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("message");
    QTest::newRow("in range") << "3" << 3 << "";
    QTest::newRow("last") << "5" << 5 << "";
    QTest::newRow("zero") << "0" << 1 << "message: False number!";
    QTest::newRow("one too many") << "6" << 1 << "message: False number!";
    QTest::newRow("negative") << "-2" << 1 << "message: False number!";
    QTest::newRow("not a number") << "x2" << 1 << "error: 'x2' is not a valid integer value";
    QTest::newRow("empty") << "" << 1 << "error: '' is not a valid integer value";
    QTest::newRow("only four characters") << "12345" << 1 << "message: False number!";
}

void TestItemNavigation::goTo()
{
    QFETCH(QString, typed);
    QFETCH(int, shown);
    QFETCH(QString, message);
    open(5);
    main().Edit3->clear();
    QTest::keyClicks(main().Edit3, typed);
    click(main().SpeedButton6);
    QCOMPARE(main().currentItem(), shown);
    QCOMPARE(m_prompts->shown.join('\n'), message);
}

void TestItemNavigation::cancelRestoresTheStoredItem()
{
    open(2);
    show(2);
    const Board stored = main().board();
    QCOMPARE(stored.at(0, 0), 2); // a black pawn on a8
    main().board().at(0, 0) = 11;
    main().board().at(5, 5) = 11;
    main().EnterEditState();
    main().Edit1->setText(QStringLiteral("changed"));
    QCOMPARE(main().Label3->text(), QStringLiteral("( 2 + 0 )"));
    click(main().SpeedButton9);
    QCOMPARE(main().board(), stored);
    QCOMPARE(author(), QStringLiteral("Author 2"));
    QCOMPARE(main().StatusPanel[2]->text(), QStringLiteral("Browse"));
    QCOMPARE(main().Label3->text(), QStringLiteral("( 0 + 1 )"));
    QVERIFY(m_prompts->shown.isEmpty());
}

void TestItemNavigation::newItem()
{
    open(3);
    show(2);
    main().PageControl1->setCurrentIndex(2);
    QTest::keyClicks(main().Edit1, QStringLiteral(" and Friend"));
    m_prompts->answers.push_back(Answer::No);
    click(main().SpeedButton10);
    QCOMPARE(main().itemCount(), 4);
    QCOMPARE(main().currentItem(), 4);
    QCOMPARE(main().StatusPanel[1]->text(), QStringLiteral("4 items"));
    QCOMPARE(main().PageControl1->currentIndex(), 0);
    // The unsaved author of the item left behind comes along, selected, and the new item is
    // in Edit; the file holds the new item with an empty author.
    QCOMPARE(author(), QStringLiteral("Author 2 and Friend"));
    QCOMPARE(main().Edit1->selectedText(), author());
    QVERIFY(main().isEditing());
    QCOMPARE(fileAuthors(), (QStringList{"Author 1", "Author 2", "Author 3", ""}));
    QCOMPARE(Collection::fromFile(m_file).line(4 * kItemLines), QByteArray("Dg[4]=new Array"));
    QCOMPARE(m_program->list().list()->model()->rowCount(), 4);
}

void TestItemNavigation::newItemWithAnEmptyAuthorStaysInBrowse()
{
    open(1);
    main().Edit1->clear();
    m_prompts->answers.push_back(Answer::Yes);
    click(main().SpeedButton10);
    QVERIFY(!main().isEditing());
    QCOMPARE(fileAuthors(), (QStringList{"", ""}));
    // Cancel keeps everything as it was.
    QTest::keyClicks(main().Edit1, QStringLiteral("y"));
    m_prompts->answers.push_back(Answer::Cancel);
    click(main().SpeedButton10);
    QCOMPARE(main().itemCount(), 2);
    QCOMPARE(Collection::fromFile(m_file).itemCount(), 2);
}

void TestItemNavigation::deleteItem()
{
    open(5);
    show(3);
    m_prompts->okAnswers.push_back(true);
    click(main().SpeedButton11);
    QCOMPARE(m_prompts->shown, QStringList{"question: Delete item?"});
    QCOMPARE(main().itemCount(), 4);
    QCOMPARE(main().currentItem(), 3);
    QCOMPARE(author(), QStringLiteral("Author 4"));
    QCOMPARE(main().StatusPanel[1]->text(), QStringLiteral("4 items"));
    QCOMPARE(fileAuthors(), (QStringList{"Author 1", "Author 2", "Author 4", "Author 5"}));
    QCOMPARE(Collection::fromFile(m_file).lines(), main().collection().lines());

    // The last one: the new last item is shown. Unsaved changes go with the item, unasked.
    show(4);
    QTest::keyClicks(main().Edit1, QStringLiteral("z"));
    m_prompts->okAnswers.push_back(true);
    click(main().SpeedButton11);
    QCOMPARE(main().currentItem(), 3);
    QCOMPARE(author(), QStringLiteral("Author 4"));
    QVERIFY(!main().isEditing());
    QCOMPARE(fileAuthors(), (QStringList{"Author 1", "Author 2", "Author 4"}));
}

void TestItemNavigation::deleteRefusals()
{
    // No collection open.
    click(main().SpeedButton11);
    QCOMPARE(m_prompts->shown.takeLast(), QStringLiteral("message: Last item!"));
    open(2);
    m_prompts->okAnswers.push_back(false);
    click(main().SpeedButton11);
    QCOMPARE(main().itemCount(), 2);
    QCOMPARE(fileAuthors().size(), 2);
    m_prompts->okAnswers.push_back(true);
    click(main().SpeedButton11);
    QCOMPARE(main().itemCount(), 1);
    m_prompts->shown.clear();
    click(main().SpeedButton11);
    QCOMPARE(m_prompts->shown, QStringList{"message: Last item!"});
    QCOMPARE(fileAuthors(), QStringList{"Author 2"});
}

void TestItemNavigation::changeNumber()
{
    open(5);
    show(2);
    m_prompts->inputs.push_back(QStringLiteral("4"));
    click(main().SpeedButton12);
    QCOMPARE(m_prompts->shown,
             QStringList{"input: Change number of item / Enter new number (from 1 to 5)"});
    QCOMPARE(fileAuthors(),
             (QStringList{"Author 1", "Author 3", "Author 4", "Author 2", "Author 5"}));
    QCOMPARE(main().currentItem(), 4);
    QCOMPARE(author(), QStringLiteral("Author 2"));
    QCOMPARE(main().StatusPanel[1]->text(), QStringLiteral("5 items"));

    show(4);
    m_prompts->inputs.push_back(QStringLiteral("1"));
    click(main().SpeedButton12);
    QCOMPARE(fileAuthors(),
             (QStringList{"Author 2", "Author 1", "Author 3", "Author 4", "Author 5"}));
    QCOMPARE(main().currentItem(), 1);
    QCOMPARE(Collection::fromFile(m_file).lines(), main().collection().lines());

    // In Edit the question comes first; Yes saves before the move.
    QTest::keyClicks(main().Edit1, QStringLiteral("+"));
    m_prompts->answers.push_back(Answer::Yes);
    m_prompts->inputs.push_back(QStringLiteral("5"));
    click(main().SpeedButton12);
    QCOMPARE(fileAuthors().last(), QStringLiteral("Author 2+"));
    QCOMPARE(main().currentItem(), 5);
}

void TestItemNavigation::changeNumberThatDoesNothing()
{
    open(3);
    show(2);
    const QByteArray before = Collection::fromFile(m_file).bytes();
    const QFileInfo info(m_file);
    for (const char* answer : {"2", "0", "4", "-1", ""}) {
        m_prompts->inputs.push_back(QString::fromLatin1(answer));
        click(main().SpeedButton12);
        QCOMPARE(main().currentItem(), 2);
    }
    m_prompts->inputs.push_back(std::nullopt);
    click(main().SpeedButton12);
    m_prompts->inputs.push_back(QStringLiteral("two"));
    click(main().SpeedButton12);
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("error: 'two' is not a valid integer value"));
    QCOMPARE(Collection::fromFile(m_file).bytes(), before);
    QCOMPARE(QFileInfo(m_file).lastModified(), info.lastModified());

    // With one item nothing is asked.
    open(1);
    m_prompts->shown.clear();
    click(main().SpeedButton12);
    QVERIFY(m_prompts->shown.isEmpty());
}

void TestItemNavigation::failedWritesLeaveMemoryAsTheFile()
{
    open(4);
    show(2);
    const Lines lines = main().collection().lines();
    blockTheFile();
    const QString cannot = QStringLiteral("error: Cannot create file %1").arg(m_file);
    // Each change notices that the file is no longer what was read; the user writes over it.
    const auto writeOver = [this] { m_prompts->answers.push_back(Prompts::Answer::No); };

    writeOver();
    click(main().SpeedButton10);
    QCOMPARE(m_prompts->shown.takeLast(), cannot);
    checkStillAsBefore(lines, 2, QStringLiteral("4 items"));

    m_prompts->okAnswers.push_back(true);
    writeOver();
    click(main().SpeedButton11);
    QCOMPARE(m_prompts->shown.takeLast(), cannot);
    checkStillAsBefore(lines, 2, QStringLiteral("4 items"));
    QCOMPARE(author(), QStringLiteral("Author 2"));

    m_prompts->inputs.push_back(QStringLiteral("4"));
    writeOver();
    click(main().SpeedButton12);
    QCOMPARE(m_prompts->shown.takeLast(), cannot);
    checkStillAsBefore(lines, 2, QStringLiteral("4 items"));

    // Navigation still works on what memory holds.
    click(main().SpeedButton5);
    QCOMPARE(author(), QStringLiteral("Author 4"));
}

void TestItemNavigation::aCollectionOfOnlyTheHeaderItem()
{
    Collection::fromLines(numberedCollection(0)).write(m_file);
    main().openNamedCollection(m_file);
    QCOMPARE(main().itemCount(), 0);
    for (QToolButton* button :
         {main().SpeedButton5, main().SpeedButton9, main().SpeedButton2, main().SpeedButton4}) {
        click(button);
        QCOMPARE(main().currentItem(), 0);
    }
    QVERIFY(m_prompts->shown.isEmpty());
    // New gives it its first item.
    click(main().SpeedButton10);
    QCOMPARE(main().currentItem(), 1);
    QCOMPARE(Collection::fromFile(m_file).itemCount(), 1);
}

void TestItemNavigation::theListFollowsTheCurrentItem()
{
    open(6);
    QListView* list = m_program->list().list();
    QCOMPARE(list->model()->rowCount(), 6);
    QCOMPARE(list->currentIndex().row(), 0);
    click(main().SpeedButton5);
    QCOMPARE(list->currentIndex().row(), 5);
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    // Navigating from the main window clears other selections.
    list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select);
    click(main().SpeedButton3);
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(list->selectionModel()->selectedRows().first().row(), 4);
}

void TestItemNavigation::largeNumbersFitTheGoToBox()
{
    open(12000);
    QCOMPARE(main().Edit3->maxLength(), 5);
    click(main().SpeedButton5);
    QCOMPARE(main().Edit3->text(), QStringLiteral("12000"));
    main().Edit3->clear();
    QTest::keyClicks(main().Edit3, QStringLiteral("11999"));
    click(main().SpeedButton6);
    QCOMPARE(author(), QStringLiteral("Author 11999"));
    const QLabel* count = main().StatusPanel[1];
    QVERIFY(count->fontMetrics().horizontalAdvance(count->text()) < count->width());
    open(3);
    QCOMPARE(main().Edit3->maxLength(), 4);
}

QTEST_MAIN(TestItemNavigation)
#include "tst_itemnavigation.moc"
