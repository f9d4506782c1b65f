#include "app/idgr.h"
#include "app/program.h"
#include "app/scriptedprompts.h"
#include "interchange/convert.h"
#include "model/collection.h"
#include "model/piece.h"
#include "model/pieces.h"
#include "views/list.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QScopeGuard>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;

namespace {

// Two entries as Olive writes them: a fairy item with a keyword no item can hold, and a plain
// helpmate with a condition.
const QByteArray kOlive = "---\n"
                          "authors:\n"
                          "  - \"Loyd, Samuel\"\n"
                          "source:\n"
                          "  name: Test Source\n"
                          "stipulation: \"#2\"\n"
                          "algebraic:\n"
                          "  white: [Ke1, Qd1, CAc3]\n"
                          "  black: [Ke8, Gh3]\n"
                          "keywords:\n"
                          "  - Rundlauf\n"
                          "---\n"
                          "authors:\n"
                          "  - \"Second, Ann\"\n"
                          "stipulation: \"h#2\"\n"
                          "algebraic:\n"
                          "  white: [Kh5]\n"
                          "  black: [Kd6, Se6]\n"
                          "options:\n"
                          "  - Circe\n";

const QByteArray kPopeye = "BeginProblem\r\n"
                           "Author Test Author\r\n"
                           "Pieces\r\n"
                           "White Kh5 Rd8 CAf4\r\n"
                           "Black Kd6 Gh3\r\n"
                           "Stipulation h#2\r\n"
                           "Condition Circe\r\n"
                           "Remark Rundlauf\r\n"
                           "NextProblem\r\n"
                           "Author Other\r\n"
                           "Pieces White Ka1 Black Kh8\r\n"
                           "Stipulation #2\r\n"
                           "NextProblem\r\n"
                           "Pieces White Ka1 Black Kh8 Pa7\r\n"
                           "Stipulation #3\r\n"
                           "EndProblem\r\n";

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// The square "c3" of a board.
int& at(Board& board, const char* square)
{
    return board.at(8 - (square[1] - '0'), square[0] - 'a');
}

struct Held {
    Board board;
    QString author, stipulation, condition;
    bool operator==(const Held&) const = default;
};

Held heldOf(const Item& item)
{
    return {item.board, item.author, item.stipulation, item.condition};
}

} // namespace

class TestInterchangeWindows : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;

    TForm1& main() { return m_program->main(); }
    TForm3& list() { return m_program->list(); }
    QString path(const QString& name) const { return m_dir->filePath(name); }

    void openByDialog(const QString& name, const QString& target)
    {
        m_prompts->fileNames.push_back(name);
        m_prompts->fileNames.push_back(target);
        QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
    }
    // Items 1 to n of the open collection.
    QList<Item> openItems()
    {
        QList<Item> items;
        for (int n = 1; n <= main().itemCount(); ++n)
            items << m_program->collection().readItem(n);
        return items;
    }
    // Copies items `numbers` with the toolbar (one item) or the list window.
    void copy(bool viaList, const QList<int>& numbers, const QString& target)
    {
        m_prompts->fileNames.push_back(target);
        if (!viaList) {
            main().ShowItem(numbers.first(), main().FindItemLine(numbers.first()));
            QTest::mouseClick(main().SpeedButton14, Qt::LeftButton);
            return;
        }
        QTest::mouseClick(main().SpeedButton23, Qt::LeftButton);
        QVERIFY(list().isVisible());
        const QAbstractItemModel* model = list().ListBox1->model();
        list().ListBox1->selectionModel()->clearSelection();
        for (int number : numbers)
            list().ListBox1->selectionModel()->select(model->index(number - 1, 0),
                                                      QItemSelectionModel::Select);
        QTest::mouseClick(list().BitBtn3, Qt::LeftButton);
        list().hide();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_program = test::startProgram(m_dir->path(), m_prompts);
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
    }
    void cleanup()
    {
        m_program.reset();
        m_dir.reset();
    }

    void openingAnotherFormatConvertsAndOpens_data();
    void openingAnotherFormatConvertsAndOpens();
    void importThatIsCancelledOrFailsKeepsTheCollection_data();
    void importThatIsCancelledOrFailsKeepsTheCollection();
    void copyToAnotherFormatReadsBack_data();
    void copyToAnotherFormatReadsBack();
    void copyThatLosesSomethingAsksFirst_data();
    void copyThatLosesSomethingAsksFirst();
    void theFormatChosenGivesTheExtension_data();
    void theFormatChosenGivesTheExtension();
};

void TestInterchangeWindows::openingAnotherFormatConvertsAndOpens_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("items");
    QTest::addColumn<QString>("fairySquare");
    QTest::addColumn<QString>("author");

    QTest::newRow("olive") << "problems.olv" << kOlive << 2 << "c3"
                           << "Loyd, Samuel";
    QTest::newRow("popeye inp") << "problems.inp" << kPopeye << 3 << "f4"
                                << "Test Author";
    QTest::newRow("popeye pi") << "problems.PI" << kPopeye << 3 << "f4"
                               << "Test Author";
    QTest::newRow("popeye by content") << "problems.txt" << kPopeye << 3 << "f4"
                                       << "Test Author";
}

void TestInterchangeWindows::openingAnotherFormatConvertsAndOpens()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, items);
    QFETCH(QString, fairySquare);
    QFETCH(QString, author);

    writeBytes(path(name), bytes);
    const QString target = path(QStringLiteral("imported.dgr"));
    openByDialog(path(name), target);

    QCOMPARE(m_prompts->shown,
             (QStringList{"open: Open or create collection", "save: Save as Vexil-DGR file",
                          "report: Import report"}));
    // The keyword no item holds is named with its entry; the count of items read leads.
    QCOMPARE(m_prompts->reports.size(), 1);
    const QString report = m_prompts->reports.first();
    QVERIFY2(report.contains(QStringLiteral("Rundlauf")), qPrintable(report));
    QVERIFY2(report.startsWith(QString::number(items)), qPrintable(report));
    QVERIFY2(!report.contains(QStringLiteral("problem 2")) &&
                 !report.contains(QStringLiteral("entry 2")),
             qPrintable(report));
    QCOMPARE(main().collectionFileName(), target);
    QCOMPARE(main().itemCount(), items);
    QCOMPARE(main().currentItem(), 1);
    QCOMPARE(main().Edit1->text(), author);
    // The fairy piece is on the board shown, as a fairy base of its kind.
    const QByteArray square = fairySquare.toLatin1();
    const Piece camel(at(main().board(), square.constData()));
    QVERIFY(camel.isFairy());
    QCOMPARE(KindCode(camel.kind()).toUpper(), QStringLiteral("CA"));
    QVERIFY(Piece(at(main().board(), "h3")).isGrasshopper());
    // The source file is left as it was.
    QCOMPARE(bytesOf(path(name)), bytes);
}

void TestInterchangeWindows::importThatIsCancelledOrFailsKeepsTheCollection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("chooseTarget");
    QTest::addColumn<int>("cancelAfter");  // progress reports before Cancel; -1: never
    QTest::addColumn<QString>("expected"); // the last thing shown

    QTest::newRow("save cancelled")
        << "in.olv" << kOlive << false << -1 << "save: Save as Vexil-DGR file";
    QTest::newRow("broken yaml") << "in.olv" << QByteArray("authors: [unclosed\n  - : :\n") << true
                                 << -1 << "error: ";
    QTest::newRow("no problem") << "in.olv" << QByteArray("---\n...\n") << true << -1 << "error: ";
    QTest::newRow("olive conversion cancelled") << "in.olv" << kOlive << true << 0 << "open: ";
    QTest::newRow("popeye conversion cancelled") << "in.inp" << kPopeye << true << 1 << "open: ";
    // Each level names the one before ten times: a billion names from a few lines.
    QByteArray laughs = "---\nalgebraic:\n  white: [Ka1]\na0: &a0 [Kb1]\n";
    for (int level = 1; level <= 9; ++level)
        laughs += QByteArray("a%1: &a%1 [").replace("%1", QByteArray::number(level)) +
                  QByteArray("*a%1, ").replace("%1", QByteArray::number(level - 1)).repeated(10) +
                  "x]\n";
    QTest::newRow("aliases past the budget") << "in.olv" << laughs << true << -1 << "error: ";
    QByteArray pbm(2 + 96, 'A');
    pbm[0] = pbm[1] = 0;
    pbm[2 + 2] = 0x00;
    pbm[2 + 3] = 0x02;
    QTest::newRow("pbm conversion cancelled") << "in.pbm" << pbm << true << 0 << "open: ";
    // Every record names the same long text.
    QByteArray shared;
    shared += char(999 & 0xFF);
    shared += char(999 >> 8);
    for (int r = 0; r < 1000; ++r) {
        QByteArray record(96, 'A');
        for (int field = 4; field <= 28; field += 4)
            record.replace(field, 4, QByteArray("\x02\x77\x01\x00", 4)); // 2 + 96 * 1000
        shared += record;
    }
    shared += QByteArray("\xff\xff", 2) + QByteArray(65535, 'x');
    QTest::newRow("pbm past the bound") << "in.pbm" << shared << true << -1 << "error: ";
}

void TestInterchangeWindows::importThatIsCancelledOrFailsKeepsTheCollection()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, chooseTarget);
    QFETCH(int, cancelAfter);
    QFETCH(QString, expected);

    const QString open = path(QStringLiteral("open.dgr"));
    main().openNamedCollection(open);
    QCOMPARE(main().collectionFileName(), open);
    writeBytes(path(name), bytes);
    const QString target = path(QStringLiteral("new.dgr"));
    m_prompts->shown.clear();
    m_prompts->cancelAfterReports = cancelAfter;
    openByDialog(path(name), chooseTarget ? target : QString());
    m_prompts->fileNames.clear();
    m_prompts->cancelAfterReports = -1;

    QVERIFY2(m_prompts->shown.last().startsWith(expected), qPrintable(m_prompts->shown.last()));
    QCOMPARE(m_prompts->progressTexts.size(), 1);
    QVERIFY(m_prompts->reports.isEmpty());
    QVERIFY(!QFileInfo::exists(target));
    // A file that cannot be read fails before the save dialog; either way the open collection
    // stays open.
    if (!expected.startsWith(QLatin1String("save")))
        QVERIFY(!m_prompts->shown.contains(QStringLiteral("save: Save as Vexil-DGR file")));
    QCOMPARE(main().collectionFileName(), open);
    QCOMPARE(main().itemCount(), 1);
}

void TestInterchangeWindows::copyToAnotherFormatReadsBack_data()
{
    QTest::addColumn<bool>("viaList");
    QTest::addColumn<QString>("target");

    for (bool viaList : {false, true})
        for (const char* target : {"out.olv", "out.inp"})
            QTest::addRow("%s %s", viaList ? "list" : "toolbar", target) << viaList << target;
}

void TestInterchangeWindows::copyToAnotherFormatReadsBack()
{
    QFETCH(bool, viaList);
    QFETCH(QString, target);

    writeBytes(path(QStringLiteral("in.inp")), kPopeye);
    openByDialog(path(QStringLiteral("in.inp")), path(QStringLiteral("c.dgr")));
    QCOMPARE(main().itemCount(), 3);
    const QList<Item> items = openItems();
    const QString out = path(target);
    m_prompts->shown.clear();
    m_prompts->reports.clear();

    // Two copies append: first item 2, then items 1 and 3.
    copy(viaList, {2}, out);
    copy(viaList, viaList ? QList<int>{1, 3} : QList<int>{1}, out);
    if (!viaList)
        copy(false, {3}, out);

    // Nothing was lost, so nothing was asked; the open collection is untouched.
    QCOMPARE(m_prompts->reports, QStringList());
    QCOMPARE(main().itemCount(), 3);
    const ConvertedFile back = ConvertInterchangeFile(out);
    QCOMPARE(ValidateCollection(back.lines), 3);
    const QList<int> order{2, 1, 3};
    for (int i = 0; i < 3; ++i) {
        const Item read = ReadItem(back.lines, (i + 1) * kItemLines);
        QCOMPARE(heldOf(read), heldOf(items[order[i] - 1]));
    }
    // A Popeye file written here names no protocol file of this machine.
    QVERIFY(!bytesOf(out).contains("Protocol"));
}

void TestInterchangeWindows::copyThatLosesSomethingAsksFirst_data()
{
    QTest::addColumn<bool>("viaList");
    QTest::addColumn<bool>("goOn");

    for (bool viaList : {false, true})
        for (bool goOn : {false, true})
            QTest::addRow("%s %s", viaList ? "list" : "toolbar", goOn ? "ok" : "cancel")
                << viaList << goOn;
}

void TestInterchangeWindows::copyThatLosesSomethingAsksFirst()
{
    QFETCH(bool, viaList);
    QFETCH(bool, goOn);

    // A solution cannot go into a Popeye file.
    const QByteArray olive = kOlive + "solution: |\n  1.Kg6! ...\n";
    writeBytes(path(QStringLiteral("in.olv")), olive);
    openByDialog(path(QStringLiteral("in.olv")), path(QStringLiteral("c.dgr")));
    QCOMPARE(main().itemCount(), 2);
    const QString out = path(QStringLiteral("out.inp"));
    writeBytes(out, kPopeye);
    m_prompts->shown.clear();
    m_prompts->reports.clear();

    m_prompts->okAnswers.push_back(goOn);
    copy(viaList, {2}, out);
    QCOMPARE(m_prompts->shown.last(),
             QStringLiteral("report question: Copy item(s) to collection"));
    QCOMPARE(m_prompts->reports.size(), 1);
    QVERIFY2(m_prompts->reports.first().contains(QStringLiteral("item 2")),
             qPrintable(m_prompts->reports.first()));
    QVERIFY2(m_prompts->reports.first().contains(QStringLiteral("solution")),
             qPrintable(m_prompts->reports.first()));
    if (!goOn) {
        QCOMPARE(bytesOf(out), kPopeye);
        return;
    }
    const ConvertedFile back = ConvertInterchangeFile(out);
    QCOMPARE(ValidateCollection(back.lines), 4);
    QCOMPARE(ReadItem(back.lines, 4 * kItemLines).author, QStringLiteral("Second, Ann"));
}

void TestInterchangeWindows::theFormatChosenGivesTheExtension_data()
{
    QTest::addColumn<int>("downs"); // presses of Down in the list of formats
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("collection") << 0 << "back"
                                << "back.dgr";
    QTest::newRow("olive") << 1 << "back"
                           << "back.olv";
    QTest::newRow("popeye") << 2 << "back"
                            << "back.inp";
    QTest::newRow("all files keeps the collection's") << 3 << "back"
                                                      << "back.dgr";
    QTest::newRow("a typed extension wins") << 1 << "back.inp"
                                            << "back.inp";
}

void TestInterchangeWindows::theFormatChosenGivesTheExtension()
{
    QFETCH(int, downs);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    // The real dialog of the real prompts, answered by keys as a user would.
    Prompts real;
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        // Whatever fails here, the dialog must not stay open.
        const auto close = qScopeGuard([] {
            if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                open->reject();
        });
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto* formats = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(formats && name);
        QCOMPARE(formats->count(), 4);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(formats, Qt::Key_Down);
        name->setText(typed);
        answered = true;
        QTest::keyClick(name, Qt::Key_Return);
    });
    const QString chosen = real.copyTargetFileName(&main());
    QVERIFY(answered);
    QCOMPARE(QFileInfo(chosen).fileName(), expected);
}

QTEST_MAIN(TestInterchangeWindows)
#include "tst_interchangewindows.moc"
