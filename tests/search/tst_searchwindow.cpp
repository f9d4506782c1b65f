// The search window inside the program: a query over the open collection and another file,
// showing a found item through the main window's question, copying found items, and what it
// keeps in the settings.
#include "app/idgr.h"
#include "app/program.h"
#include "app/scriptedprompts.h"
#include "model/collection.h"
#include "model/sampleitems.h"
#include "search/searchwindow.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;
using Answer = Prompts::Answer;

Q_DECLARE_METATYPE(vexil::Prompts::Answer)

class TestSearchWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;
    QString m_open, m_other;

    TForm1& main() { return m_program->main(); }
    SearchWindow& search() { return m_program->search(); }
    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }

    QStringList titles()
    {
        QStringList all;
        for (int row = 0; row < search().results()->rowCount(); ++row)
            all << search().results()->title(row);
        return all;
    }
    void run(const QString& query)
    {
        search().QueryEdit->setText(query);
        QTest::keyClick(search().QueryEdit, Qt::Key_Return);
        QTRY_VERIFY(!search().isSearching());
    }
    void doubleClickResult(int row)
    {
        const QModelIndex index = search().results()->index(row, 0);
        search().ResultsList->scrollTo(index);
        const QPoint at = search().ResultsList->visualRect(index).center();
        QTest::mouseClick(search().ResultsList->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(search().ResultsList->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_open = path("open.dgr");
        m_other = path("other.dgr");
        Collection::fromLines(test::numberedCollection(6)).write(m_open);
        Collection::fromLines(test::numberedCollection(3)).write(m_other);
        m_program = test::startProgram(m_dir->path(), m_prompts);
        main().openNamedCollection(m_open);
        QTest::mouseClick(main().SearchButton, Qt::LeftButton);
        QVERIFY(search().isVisible());
        search().setOtherCollections({m_other, path("missing.dgr")});
    }
    void cleanup()
    {
        m_program.reset();
        m_dir.reset();
    }

    void findsInEveryCollectionAndNamesWhatWasSkipped();
    void aBadQueryNamesThePlaceAndSearchesNothing();
    void showingAFoundItem_data();
    void showingAFoundItem();
    void copiesFoundItemsOfBothCollections();
    void remembersQueryAndCollections();
    void everyControlHasAnAccessibleName();
};

void TestSearchWindow::findsInEveryCollectionAndNamesWhatWasSkipped()
{
    run(QStringLiteral("A='Author 2' OR A='Author 5'"));
    QCOMPARE(titles(), (QStringList{"open.dgr: 2. Author 2", "open.dgr: 5. Author 5",
                                    "other.dgr: 2. Author 2"}));
    const QString status = search().StatusLine->text();
    QVERIFY2(status.startsWith(QStringLiteral("3 of 9 items in ")), qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral("missing.dgr")), qPrintable(status));
    // The tool tip is the found item's small diagram.
    const QString tip = search().results()->index(0, 0).data(Qt::ToolTipRole).toString();
    const QImage diagram(
        QRegularExpression(QStringLiteral("src=\"([^\"]+)\"")).match(tip).captured(1));
    QCOMPARE(diagram.size(), QSize(202, 202));
    // A file another program changed is searched as it is on disk now.
    Collection::fromLines(test::numberedCollection(2)).write(m_open);
    run(QStringLiteral("A='Author 2' OR A='Author 5'"));
    QCOMPARE(titles(), (QStringList{"open.dgr: 2. Author 2", "other.dgr: 2. Author 2"}));
    // The open collection follows the main window.
    main().openNamedCollection(m_other);
    run(QStringLiteral("A='Author 2'"));
    QCOMPARE(titles(), QStringList{"other.dgr: 2. Author 2"});
}

void TestSearchWindow::aBadQueryNamesThePlaceAndSearchesNothing()
{
    run(QStringLiteral("A=Author*"));
    QCOMPARE(search().results()->rowCount(), 9);
    search().QueryEdit->setText(QStringLiteral("A=Author OR (Y>1900"));
    QTest::mouseClick(search().SearchButton, Qt::LeftButton);
    QVERIFY(!search().isSearching());
    QVERIFY2(search().StatusLine->text().contains(QStringLiteral("At character 20")),
             qPrintable(search().StatusLine->text()));
    QCOMPARE(search().QueryEdit->cursorPosition(), 19);
    QCOMPARE(search().results()->rowCount(), 9); // the last results stay
}

void TestSearchWindow::showingAFoundItem_data()
{
    QTest::addColumn<bool>("other");   // the item is in the collection that is not open
    QTest::addColumn<bool>("editing"); // the main window has unsaved changes
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("byKey"); // Enter rather than a double click
    QTest::newRow("open collection") << false << false << Answer::No << false;
    QTest::newRow("open collection, Enter") << false << false << Answer::No << true;
    QTest::newRow("open collection, editing, No") << false << true << Answer::No << false;
    QTest::newRow("open collection, editing, Cancel") << false << true << Answer::Cancel << false;
    QTest::newRow("other collection") << true << false << Answer::No << false;
    QTest::newRow("other collection, editing, Yes") << true << true << Answer::Yes << true;
    QTest::newRow("other collection, editing, Cancel") << true << true << Answer::Cancel << false;
}

void TestSearchWindow::showingAFoundItem()
{
    QFETCH(bool, other);
    QFETCH(bool, editing);
    QFETCH(Answer, answer);
    QFETCH(bool, byKey);
    run(QStringLiteral("A='Author 3'"));
    QCOMPARE(search().results()->rowCount(), 2);
    if (editing) {
        main().Edit1->setText(QStringLiteral("Changed"));
        QVERIFY(main().isEditing());
        m_prompts->answers.push_back(answer);
    }
    m_prompts->shown.clear();
    const int row = other ? 1 : 0;
    if (byKey) {
        search().ResultsList->setFocus();
        search().ResultsList->setCurrentIndex(search().results()->index(row, 0));
        QTest::keyClick(search().ResultsList, Qt::Key_Return);
    } else {
        doubleClickResult(row);
    }
    QCOMPARE(m_prompts->shown,
             editing ? QStringList{"question: Save all changes?"} : QStringList{});
    if (answer == Answer::Cancel) {
        QCOMPARE(main().collectionFileName(), m_open);
        QCOMPARE(main().currentItem(), 1);
        QVERIFY(main().isEditing());
        return;
    }
    QCOMPARE(main().collectionFileName(), other ? m_other : m_open);
    QCOMPARE(main().currentItem(), 3);
    QCOMPARE(main().Edit1->text(), QStringLiteral("Author 3"));
    // Yes wrote the change into the collection that was open.
    QCOMPARE(Collection::fromFile(m_open).readItem(kItemLines).author,
             answer == Answer::Yes ? QStringLiteral("Changed") : QStringLiteral("Author 1"));
}

void TestSearchWindow::copiesFoundItemsOfBothCollections()
{
    run(QStringLiteral("A='Author 1' OR A='Author 3'"));
    QCOMPARE(search().results()->rowCount(), 4);
    search().ResultsList->selectAll();
    const QString target = path("target.dgr");
    m_prompts->fileNames.push_back(target);
    QTest::mouseClick(search().CopyButton, Qt::LeftButton);
    m_prompts->fileNames.push_back(target);
    search().ResultsList->selectionModel()->select(search().results()->index(3, 0),
                                                   QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(search().CopyButton, Qt::LeftButton);
    const Collection copied = Collection::fromFile(target);
    QStringList authors;
    for (int n = 1; n <= copied.itemCount(); ++n)
        authors << copied.readItem(n * kItemLines).author;
    QCOMPARE(authors, (QStringList{"Author 1", "Author 3", "Author 1", "Author 3", "Author 3"}));
    // The boards came along: item n carries code n on a8.
    QCOMPARE(copied.readItem(2 * kItemLines).board.at(0, 0), 3);
    // Not into the open collection.
    m_prompts->fileNames.push_back(m_open);
    m_prompts->shown.clear();
    const QByteArray before = test::fileBytes(m_open);
    QTest::mouseClick(search().CopyButton, Qt::LeftButton);
    QCOMPARE(m_prompts->shown.size(), 2);
    QVERIFY(m_prompts->shown.last().startsWith(QStringLiteral("message: ")));
    QCOMPARE(test::fileBytes(m_open), before);
}

void TestSearchWindow::remembersQueryAndCollections()
{
    run(QStringLiteral("STIP=#2 Y>=1990"));
    m_prompts->fileNames.push_back(path("third.dgr"));
    QTest::mouseClick(search().AddButton, Qt::LeftButton);
    search().CollectionsList->setCurrentRow(2); // missing.dgr
    QTest::mouseClick(search().RemoveButton, Qt::LeftButton);
    search().CollectionsList->setCurrentRow(0); // the open collection stays
    QTest::mouseClick(search().RemoveButton, Qt::LeftButton);
    m_program.reset();
    m_program = test::startProgram(m_dir->path(), m_prompts);
    QCOMPARE(search().QueryEdit->text(), QStringLiteral("STIP=#2 Y>=1990"));
    QCOMPARE(search().otherCollections(), (QStringList{m_other, path("third.dgr")}));
}

void TestSearchWindow::everyControlHasAnAccessibleName()
{
    run(QStringLiteral("Author"));
    for (QWidget* w : search().findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&search()))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QVERIFY(a);
        QVERIFY2(!a->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
    }
    const QModelIndex first = search().results()->index(0, 0);
    QCOMPARE(first.data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("open.dgr: 1. Author 1"));
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
