#include "app/idgr.h"
#include "app/program.h"
#include "app/scriptedprompts.h"
#include "duplicates/duplicateswindows.h"
#include "model/collection.h"
#include "model/sampleitems.h"
#include "model/transform.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace vexil;
using test::boardFrom;
using test::ScriptedPrompts;

Q_DECLARE_METATYPE(vexil::Board)

namespace {

const char* const kPosition = "3q2k1/8/8/8/8/8/8/1S2K3";

void writeCollection(const QString& path, const QList<Board>& boards, const QString& prefix)
{
    QList<Item> items;
    for (qsizetype i = 0; i < boards.size(); ++i) {
        Item item;
        item.board = boards[i];
        item.author = QStringLiteral("%1 %2").arg(prefix).arg(i + 1);
        item.stipulation = QStringLiteral("#2");
        items << item;
    }
    Collection::fromLines(test::collectionOf(items)).write(path);
}

// The rows of a tree as "number kind why", children under their groups.
QStringList rowsOf(QTreeWidget* tree)
{
    QStringList rows;
    auto text = [](QTreeWidgetItem* row) {
        return QStringLiteral("%1 %2 %3").arg(row->text(3), row->text(0), row->text(1)).trimmed();
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tree->topLevelItem(i);
        if (top->childCount() == 0) {
            rows << text(top);
            continue;
        }
        QStringList members;
        for (int c = 0; c < top->childCount(); ++c)
            members << text(top->child(c));
        rows << members.join(QStringLiteral(" | "));
    }
    return rows;
}

void doubleClick(QTreeWidget* tree, QTreeWidgetItem* row)
{
    tree->scrollToItem(row);
    const QPoint at = tree->visualItemRect(row).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestDuplicateWindows : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;
    QString m_file;
    QString m_other;

    TForm1& main() { return m_program->main(); }
    IsItNewWindow& isNew() { return m_program->isItNew(); }
    FindDuplicatesWindow& duplicates() { return m_program->findDuplicates(); }
    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = path("open.dgr");
        m_other = path("other.dgr");
        const Board position = boardFrom(kPosition);
        writeCollection(m_file,
                        {boardFrom("4k3/8/8/8/8/8/8/4K3"),
                         Transformed(position, Transformation::VerticalMirror),
                         boardFrom("4k3/8/8/8/8/8/8/4K3"), position,
                         boardFrom("7k/8/8/8/8/8/8/K7")},
                        QStringLiteral("Open"));
        writeCollection(m_other, {boardFrom("6k1/8/8/8/8/8/8/1S2K3"), position},
                        QStringLiteral("Other"));
        m_program = test::startProgram(m_dir->path(), m_prompts);
        m_program->setSearchedFiles([this] { return QStringList{m_other}; });
        main().openNamedCollection(m_file);
        main().ShowItem(5, main().FindItemLine(5));
    }
    void cleanup()
    {
        m_program.reset();
        m_dir.reset();
    }

    void isItNewComparesTheBoardOnScreen_data();
    void isItNewComparesTheBoardOnScreen();
    void doubleClickShowsTheItem();
    void findDuplicatesGroupsCopiesAndExports();
    void everyControlHasAnAccessibleName();
};

void TestDuplicateWindows::isItNewComparesTheBoardOnScreen_data()
{
    QTest::addColumn<Board>("board");
    QTest::addColumn<int>("equivalence");
    QTest::addColumn<bool>("near");
    QTest::addColumn<QStringList>("rows");
    const Board position = boardFrom(kPosition);
    QTest::newRow("exact squares")
        << position << 0 << false << QStringList{"4 same position", "2 same position"};
    QTest::newRow("with the mirror and near")
        << position << 1 << true
        << QStringList{"4 same position", "2 same position", "2 same after a symmetry mirrored",
                       "1 one unit away bQd8 removed"};
    QTest::newRow("a king pair, near: the shown item is left out")
        << boardFrom("7k/8/8/8/8/8/8/K7") << 0 << true << QStringList{};
    QTest::newRow("nothing like it")
        << boardFrom("Q7/8/8/8/8/8/8/7q") << 3 << true << QStringList{};
}

// The board as edited and not saved is what is compared; the item shown is no match.
void TestDuplicateWindows::isItNewComparesTheBoardOnScreen()
{
    QFETCH(Board, board);
    QFETCH(int, equivalence);
    QFETCH(bool, near);
    QFETCH(QStringList, rows);
    main().board() = board;
    main().EnterEditState();
    isNew().optionsBox->equivalence->setCurrentIndex(equivalence);
    isNew().optionsBox->oneUnitAway->setChecked(near);
    QTest::mouseClick(main().isNewButton, Qt::LeftButton);
    QVERIFY(isNew().isVisible());
    QCOMPARE(rowsOf(isNew().matchList), rows);
    QCOMPARE(isNew().answer->text().startsWith(QStringLiteral("No earlier")), rows.isEmpty());
    QVERIFY(main().isEditing()); // nothing was saved or shown
}

void TestDuplicateWindows::doubleClickShowsTheItem()
{
    main().board() = boardFrom(kPosition);
    main().EnterEditState();
    main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main()));
    QTest::keyClick(&main(), Qt::Key_F7);
    QTRY_COMPARE(isNew().matchList->topLevelItemCount(), 4);
    // An item of another collection opens in a preview with its diagram.
    bool previewed = false;
    QTimer::singleShot(0, this, [&] {
        auto* preview = QApplication::activeModalWidget();
        previewed = preview && preview->objectName() == QStringLiteral("itemPreview");
        if (preview) {
            const auto labels = preview->findChildren<QLabel*>();
            previewed = previewed && std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
                            return !l->pixmap().isNull() && l->pixmap().width() == 218;
                        });
            static_cast<QDialog*>(preview)->reject();
        }
    });
    doubleClick(isNew().matchList, isNew().matchList->topLevelItem(1));
    QVERIFY(previewed);
    // One of the open collection is shown in the main window, after "Save all changes?".
    m_prompts->answers.push_back(Prompts::Answer::No);
    doubleClick(isNew().matchList, isNew().matchList->topLevelItem(0));
    QCOMPARE(main().currentItem(), 4);
    QVERIFY(!main().isEditing());
}

void TestDuplicateWindows::findDuplicatesGroupsCopiesAndExports()
{
    main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main()));
    QTest::keyClick(&main(), Qt::Key_F7, Qt::ShiftModifier);
    QVERIFY(duplicates().isVisible());
    // Colours swapped (the default) takes in the mirror; the lone king pair has no twin.
    QCOMPARE(rowsOf(duplicates().groupList),
             (QStringList{
                 "2 first | 4 same after a symmetry mirrored | 2 same after a symmetry mirrored",
                 "1 first | 3 same position"}));
    duplicates().optionsBox->oneUnitAway->setChecked(true);
    QTest::mouseClick(duplicates().findButton, Qt::LeftButton);
    QCOMPARE(duplicates().groupList->topLevelItemCount(), 2);
    QCOMPARE(duplicates().groupList->topLevelItem(0)->childCount(), 4);

    // The first group selected: its open items through the list window's copy.
    duplicates().optionsBox->oneUnitAway->setChecked(false);
    QTest::mouseClick(duplicates().findButton, Qt::LeftButton);
    duplicates().groupList->topLevelItem(1)->setSelected(true);
    const QString target = path("copied.dgr");
    m_prompts->fileNames.push_back(target);
    QTest::mouseClick(duplicates().copyButton, Qt::LeftButton);
    Collection copied = Collection::fromFile(target);
    QCOMPARE(copied.itemCount(), 2);
    QCOMPARE(copied.readItem(copied.FindItemLine(2)).author, QStringLiteral("Open 3"));
    // Items of two collections go as stored.
    duplicates().groupList->clearSelection();
    duplicates().groupList->topLevelItem(0)->setSelected(true);
    m_prompts->fileNames.push_back(target);
    QTest::mouseClick(duplicates().copyButton, Qt::LeftButton);
    copied = Collection::fromFile(target);
    QCOMPARE(copied.itemCount(), 5);
    QCOMPARE(copied.readItem(copied.FindItemLine(5)).author, QStringLiteral("Other 2"));

    const QString csv = path("groups.csv");
    m_prompts->fileNames.push_back(csv);
    QTest::mouseClick(duplicates().exportButton, Qt::LeftButton);
    const QList<QByteArray> lines = test::fileBytes(csv).split('\n');
    QCOMPARE(lines.size(), 7);
    QVERIFY(lines[3].startsWith("1,same after a symmetry,"));
    QVERIFY(lines[3].contains("other.dgr,2,Other 2,"));
}

void TestDuplicateWindows::everyControlHasAnAccessibleName()
{
    for (QWidget* window :
         {static_cast<QWidget*>(&isNew()), static_cast<QWidget*>(&duplicates())}) {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(window))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(),
                     qPrintable(window->objectName() + "/" + w->metaObject()->className() + "/" +
                                w->objectName()));
        }
    }
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(main().isNewButton);
    QVERIFY(!button->text(QAccessible::Name).isEmpty());
}

QTEST_MAIN(TestDuplicateWindows)
#include "tst_duplicatewindows.moc"
