// The main window never writes one item over another, never loses a text it cannot show,
// and never writes over another program's changes without asking.
#include "app/boardview.h"
#include "app/idgr.h"
#include "app/program.h"
#include "model/collection.h"
#include "model/sampleitems.h"
#include "scriptedprompts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace vexil;
using test::fileBytes;
using test::numberedCollection;
using test::ScriptedPrompts;
using test::writeBytes;
using Answer = Prompts::Answer;

Q_DECLARE_METATYPE(vexil::Prompts::Answer)

class TestSafekeeping : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;
    QString m_file;

    TForm1& main() { return m_program->main(); }
    void click(QToolButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void open(const Lines& lines)
    {
        Collection::fromLines(lines).write(m_file);
        main().openNamedCollection(m_file);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = m_dir->filePath(QStringLiteral("c.dgr"));
        m_program = test::startProgram(m_dir->path(), m_prompts);
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
    }
    void cleanup() { m_program.reset(); }

    void deleteBeforeAnUnreadableItemShowsNone();
    void longTextsSurviveSave();
    void storedLinesDoNotDependOnTheTabShown();
    void reloadKeepsTheEditsOnScreen();
    void editsAfterAReloadGoWhereTheUserSays_data();
    void editsAfterAReloadGoWhereTheUserSays();
    void anEmptyFileIsWrittenOnlyWhenTheUserAsks_data();
    void anEmptyFileIsWrittenOnlyWhenTheUserAsks();
    void cancelLeavesBothVersions();
    void activationOffersTheReload();
    void dropsFromElsewhereAreRefused();
};

void TestSafekeeping::deleteBeforeAnUnreadableItemShowsNone()
{
    Lines lines = numberedCollection(3);
    lines[3 * kItemLines + 2] = "[x,0,0,0,0,0,0,0],"; // item 3 cannot be read
    open(lines);
    main().ShowItem(2, main().FindItemLine(2));
    m_prompts->okAnswers.push_back(true);
    click(main().SpeedButton11);
    // Item 2 is gone; the item behind it cannot be shown, so nothing is.
    QVERIFY(m_prompts->shown.last().startsWith(QStringLiteral("error: ")));
    QCOMPARE(main().currentItem(), 0);
    QCOMPARE(main().Edit1->text(), QString());
    QCOMPARE(main().itemCount(), 2);
    const QByteArray afterDelete = fileBytes(m_file);
    QCOMPARE(Collection::fromFile(m_file).itemCount(), 2);

    // Save and a second Delete find no item to act on, and the file stays as it is.
    click(main().SpeedButton8);
    m_prompts->okAnswers.push_back(true);
    click(main().SpeedButton11);
    QCOMPARE(fileBytes(m_file), afterDelete);
    QCOMPARE(main().itemCount(), 2);
    QCOMPARE(main().collection().bytes(), afterDelete);
}

void TestSafekeeping::longTextsSurviveSave()
{
    Item item;
    item.author = QString(40000, QLatin1Char('a'));
    item.source = QString(40000, QLatin1Char('s'));
    item.condition = QString(40000, QLatin1Char('c'));
    open(test::collectionOf({item}));
    QCOMPARE(main().currentItem(), 1);
    const QByteArray before = fileBytes(m_file);
    click(main().SpeedButton8);
    QCOMPARE(fileBytes(m_file), before);
    QTest::keyClick(main().Edit1, Qt::Key_End);
    QTest::keyClicks(main().Edit1, QStringLiteral("b"));
    click(main().SpeedButton8);
    QCOMPARE(Collection::fromFile(m_file).readItem(kItemLines).author,
             item.author + QLatin1Char('b'));
}

void TestSafekeeping::storedLinesDoNotDependOnTheTabShown()
{
    const QString solution =
        QStringLiteral("1.Qd1-h5! threatens 2.Qh5xf7# and after 1...g7-g6 the queen returns with "
                       "2.Qh5-e5# while 1...Sg8-f6 2.Qh5xf7#");
    open(numberedCollection(1));
    QCOMPARE(main().PageControl1->currentIndex(), 0); // the Solution tab was never shown
    main().Memo1->setPlainText(solution);
    click(main().SpeedButton8);
    const QByteArray unseen = fileBytes(m_file);
    QVERIFY(!Collection::fromFile(m_file).readItem(kItemLines).solution.isEmpty());

    main().PageControl1->setCurrentIndex(2);
    QVERIFY(QTest::qWaitForWindowExposed(main().Memo1));
    main().Memo1->setPlainText(solution);
    click(main().SpeedButton8);
    QCOMPARE(fileBytes(m_file), unseen);
    // What is stored is what the field shows: one stored line per line on screen.
    const QStringList stored = Collection::fromFile(m_file).readItem(kItemLines).solution;
    QVERIFY2(stored.size() > 1, qPrintable(stored.join('|')));
    QCOMPARE(main().Memo1->document()->lineCount(), int(stored.size()));
}

void TestSafekeeping::reloadKeepsTheEditsOnScreen()
{
    open(numberedCollection(3));
    main().ShowItem(2, main().FindItemLine(2));
    main().Edit1->setText(QStringLiteral("My edit"));
    // Another program writes a collection with a new item 1 and five items.
    Lines theirs = numberedCollection(5);
    Collection::fromLines(theirs).write(m_file);
    const QByteArray theirBytes = fileBytes(m_file);
    m_prompts->answers.push_back(Answer::Yes); // reload
    click(main().SpeedButton8);
    QCOMPARE(fileBytes(m_file), theirBytes);
    QCOMPARE(main().itemCount(), 5);
    QCOMPARE(main().currentItem(), 2);
    QVERIFY(main().isEditing());
    QCOMPARE(main().Edit1->text(), QStringLiteral("My edit"));
    // Now the edits go into the reloaded collection.
    click(main().SpeedButton8);
    const Collection saved = Collection::fromFile(m_file);
    QCOMPARE(saved.itemCount(), 5);
    QCOMPARE(saved.readItem(saved.FindItemLine(2)).author, QStringLiteral("My edit"));
}

namespace {
QStringList authorsIn(const QString& path)
{
    const Collection c = Collection::fromFile(path);
    QStringList list;
    for (int n = 1; n <= c.itemCount(); ++n)
        list << c.readItem(c.FindItemLine(n)).author;
    return list;
}
} // namespace

void TestSafekeeping::editsAfterAReloadGoWhereTheUserSays_data()
{
    // Items the other program removes, in this order, from four while item 3 is edited.
    QTest::addColumn<QList<int>>("removedByTheOther");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("dropConfirmed"); // the second question after No
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("shownAuthor");
    const QStringList theirs{"Author 2", "Author 3", "Author 4"};
    const QList<int> first{1}, third{4, 3};
    QTest::newRow("yes: a new item at the end")
        << first << Answer::Yes << false << (theirs + QStringList{"My edit"}) << "My edit";
    QTest::newRow("no, confirmed: the item as stored now")
        << first << Answer::No << true << theirs << "Author 4";
    QTest::newRow("no, then cancelled: nothing changes")
        << first << Answer::No << false << theirs << "My edit";
    QTest::newRow("cancel: nothing changes")
        << first << Answer::Cancel << false << theirs << "My edit";
    QTest::newRow("the item is gone: a new item at the end")
        << third << Answer::Yes << false << QStringList{"Author 1", "Author 2", "My edit"}
        << "My edit";
    QTest::newRow("the item is gone, dropped: none shown")
        << third << Answer::No << true << QStringList{"Author 1", "Author 2"} << QString();
}

void TestSafekeeping::editsAfterAReloadGoWhereTheUserSays()
{
    QFETCH(QList<int>, removedByTheOther);
    QFETCH(Answer, answer);
    QFETCH(bool, dropConfirmed);
    QFETCH(QStringList, stored);
    QFETCH(QString, shownAuthor);
    open(numberedCollection(4));
    main().ShowItem(3, main().FindItemLine(3));
    main().Edit1->setText(QStringLiteral("My edit"));
    Collection theirs = Collection::fromLines(numberedCollection(4));
    for (int number : removedByTheOther)
        theirs.removeItem(number);
    theirs.write(m_file);
    m_prompts->answers.push_back(Answer::Yes); // reload
    click(main().SpeedButton8);
    QCOMPARE(main().Edit1->text(), QStringLiteral("My edit"));
    QVERIFY(main().isEditing());
    const QByteArray reloaded = fileBytes(m_file);

    // Whatever now has number 3 is not what the edits were made to: Save asks.
    const int asked = int(m_prompts->shown.size());
    m_prompts->answers.push_back(answer);
    if (answer == Answer::No)
        m_prompts->okAnswers.push_back(dropConfirmed);
    click(main().SpeedButton8);
    QCOMPARE(int(m_prompts->shown.size()), asked + (answer == Answer::No ? 2 : 1));
    QCOMPARE(authorsIn(m_file), stored);
    const bool kept = answer == Answer::Cancel || (answer == Answer::No && !dropConfirmed);
    if (kept)
        QCOMPARE(fileBytes(m_file), reloaded);
    QCOMPARE(main().isEditing(), kept);
    QCOMPARE(main().Edit1->text(), shownAuthor);
    if (shownAuthor.isEmpty()) {
        QCOMPARE(main().currentItem(), 0); // item 3 is no more
    } else if (!kept) {
        // What is shown is what is stored.
        QCOMPARE(main().collection().readItem(main().currentItemLine()).author, shownAuthor);
    }
}

void TestSafekeeping::anEmptyFileIsWrittenOnlyWhenTheUserAsks_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("stillOpen");
    QTest::newRow("yes: a new collection") << Answer::Yes << true << true;
    QTest::newRow("no: left alone, nothing open") << Answer::No << false << false;
    QTest::newRow("cancel: left alone, still open") << Answer::Cancel << false << true;
}

void TestSafekeeping::anEmptyFileIsWrittenOnlyWhenTheUserAsks()
{
    QFETCH(Answer, answer);
    QFETCH(bool, written);
    QFETCH(bool, stillOpen);
    writeBytes(m_file, QByteArray());
    main().openNamedCollection(m_file);
    // Opened as it is: perhaps another program has only begun to write it.
    QCOMPARE(fileBytes(m_file), QByteArray());
    QCOMPARE(main().collectionFileName(), m_file);
    QCOMPARE(main().itemCount(), 0);
    QCOMPARE(main().currentItem(), 0);
    QVERIFY(m_prompts->shown.isEmpty());
    click(main().SpeedButton8); // nothing shown, nothing to save
    QCOMPARE(fileBytes(m_file), QByteArray());

    m_prompts->answers.push_back(answer);
    click(main().SpeedButton10);
    QCOMPARE(m_prompts->shown.size(), 1);
    QVERIFY(m_prompts->shown.first().contains(m_file));
    QCOMPARE(fileBytes(m_file), written ? Collection::newCollection().bytes() : QByteArray());
    QCOMPARE(main().collectionFileName(), stillOpen ? m_file : QString());
    QCOMPARE(main().itemCount(), written ? 1 : 0);
    QCOMPARE(main().currentItem(), written ? 1 : 0);
}

void TestSafekeeping::cancelLeavesBothVersions()
{
    open(numberedCollection(3));
    const QByteArray ours = main().collection().bytes();
    Collection::fromLines(numberedCollection(4)).write(m_file);
    const QByteArray theirs = fileBytes(m_file);
    for (QToolButton* button : {main().SpeedButton10, main().SpeedButton8}) {
        m_prompts->answers.push_back(Answer::Cancel);
        click(button);
        QCOMPARE(fileBytes(m_file), theirs);
        QCOMPARE(main().collection().bytes(), ours);
        QCOMPARE(main().itemCount(), 3);
    }
}

void TestSafekeeping::activationOffersTheReload()
{
    open(numberedCollection(2));
    Collection::fromLines(numberedCollection(6)).write(m_file);
    m_prompts->answers.push_back(Answer::Yes);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&main(), &activate);
    QTRY_COMPARE(main().itemCount(), 6);
    QCOMPARE(main().currentItem(), 1);
    QVERIFY(!main().isEditing());
    // Nothing changed since: activating again asks nothing.
    const int asked = int(m_prompts->shown.size());
    QCoreApplication::sendEvent(&main(), &activate);
    QTest::qWait(50);
    QCOMPARE(int(m_prompts->shown.size()), asked);
}

void TestSafekeeping::dropsFromElsewhereAreRefused()
{
    open(numberedCollection(1));
    QMimeData data;
    data.setData(QStringLiteral("application/x-vexil-piece"), "board 0 0");
    // A drop that no drag of this program started has no source.
    QDropEvent drop(QPointF(50, 50), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(!PieceDragOf(&drop));
    const Board before = main().board();
    QCoreApplication::sendEvent(main().DrawGrid1, &drop);
    QCOMPARE(main().board(), before);
    QVERIFY(!main().isEditing());
}

QTEST_MAIN(TestSafekeeping)
#include "tst_safekeeping.moc"
