// The verification as the program offers it: from the solve window and from the list's
// selection, on the items as stored, and back into the main window.
#include "app/idgr.h"
#include "app/program.h"
#include "model/collection.h"
#include "model/sampleitems.h"
#include "app/scriptedprompts.h"
#include "settings/option.h"
#include "solve/popeye.h"
#include "verify/verifywindow.h"
#include "views/list.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QAbstractItemModelTester>
#include <QtTest>

using namespace vexil;

namespace {

const QString kFakePopeye = QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye");

QString cell(const VerifyWindow& window, int row, int column)
{
    return window.Table->model()->index(row, column).data().toString();
}

} // namespace

class TestVerifyFromProgram : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    test::ScriptedPrompts* m_prompts = nullptr;
    QString m_file;

    // Items whose authors tell the stand-in what to answer.
    void openItems(const QStringList& authors, const QStringList& conditions = {})
    {
        openItems(m_file, authors, conditions);
    }
    void openItems(const QString& file, const QStringList& authors,
                   const QStringList& conditions = {})
    {
        QList<Item> items;
        for (const QString& author : authors) {
            Item item;
            item.author = author;
            item.condition = conditions.value(items.size());
            item.stipulation = QStringLiteral("#2");
            item.board.at(7, 4) = 11; // a king each, so the text is a problem
            item.board.at(0, 4) = 12;
            items << item;
        }
        Collection::fromLines(test::collectionOf(items)).write(file);
        m_program->main().openNamedCollection(file);
        QCOMPARE(m_program->main().itemCount(), authors.size());
    }
    VerifyWindow& startFromSolveWindow()
    {
        m_program->solve().VerifyCollection->click();
        VerifyWindow& window = m_program->verify();
        window.setDeadlineGrace(2000);
        window.MaxTime->setValue(10);
        return window;
    }

private slots:
    void initTestCase() { qputenv("VEXIL_FAKE_DELAY", "0.02"); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = m_dir->filePath(QStringLiteral("c.dgr"));
        m_program = test::startProgram(m_dir->path(), m_prompts);
        m_program->options().settings().PopeyeExe = kFakePopeye;
        QAbstractItemModel* table = m_program->verify().Table->model();
        new QAbstractItemModelTester(table, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     table);
    }
    void cleanup() { m_program.reset(); }

    void theSolveWindowVerifiesTheStoredItems();
    void theListVerifiesItsSelection();
    void settingsAndCollectionChangesAreSeen();
    void fileKeywordItemIsRefused();
};

void TestVerifyFromProgram::theSolveWindowVerifiesTheStoredItems()
{
    openItems({QStringLiteral("unique"), QStringLiteral("cooked"), QStringLiteral("nosolution")});
    // An unsaved edit on screen is not what is verified.
    m_program->main().Edit1->setText(QStringLiteral("cooked"));
    VerifyWindow& window = startFromSolveWindow();
    QVERIFY(window.isVisible());
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);
    window.VerifyButton->click();
    QVERIFY(ended.wait(120000));
    QCOMPARE(cell(window, 0, VerifyTableModel::OutcomeColumn), QStringLiteral("sound"));
    QCOMPARE(cell(window, 1, VerifyTableModel::OutcomeColumn), QStringLiteral("cooked"));
    QCOMPARE(cell(window, 2, VerifyTableModel::OutcomeColumn), QStringLiteral("no solution"));
    QVERIFY(QFile::exists(m_file + QStringLiteral(".verify")));

    // Popeye's answer for item 2 goes into its solution field, asked about the edit first,
    // and is not saved until the user saves.
    const QByteArray stored = Collection::fromFile(m_file).bytes();
    m_prompts->answers.push_back(Prompts::Answer::No); // drop the edit of item 1
    window.Table->selectRow(1);
    window.CopyButton->click();
    QCOMPARE(m_program->main().currentItem(), 2);
    QVERIFY(m_program->main().isEditing());
    QVERIFY(!m_program->main().Memo1->toPlainText().isEmpty());
    QCOMPARE(Collection::fromFile(m_file).bytes(), stored);
}

void TestVerifyFromProgram::theListVerifiesItsSelection()
{
    openItems({QStringLiteral("unique"), QStringLiteral("cooked"), QStringLiteral("unique")});
    TForm3& list = m_program->list();
    list.show();
    QListView* view = list.list();
    view->selectionModel()->select(view->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    view->selectionModel()->select(view->model()->index(2, 0), QItemSelectionModel::Select);
    auto* action = view->findChild<QAction*>(QStringLiteral("VerifySelected"));
    QVERIFY(action);
    action->trigger();
    VerifyWindow& window = m_program->verify();
    QVERIFY(window.isVisible());
    window.setDeadlineGrace(2000);
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);
    window.VerifyButton->click();
    QVERIFY(ended.wait(120000));
    QStringList outcomes;
    for (int row = 0; row < window.Table->model()->rowCount(); ++row)
        outcomes << cell(window, row, VerifyTableModel::Number) + QLatin1Char(' ') +
                        cell(window, row, VerifyTableModel::OutcomeColumn);
    QVERIFY2(outcomes.contains(QStringLiteral("2 cooked")), qPrintable(outcomes.join('|')));
    QVERIFY2(outcomes.contains(QStringLiteral("3 sound")), qPrintable(outcomes.join('|')));
    QVERIFY2(!outcomes.contains(QStringLiteral("1 sound")), qPrintable(outcomes.join('|')));
}

// The window stays open while the options and the collection change under it.
void TestVerifyFromProgram::settingsAndCollectionChangesAreSeen()
{
    openItems({QStringLiteral("unique"), QStringLiteral("cooked"), QStringLiteral("unique")});
    TForm3& list = m_program->list();
    QListView* view = list.list();
    view->selectionModel()->select(view->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    view->findChild<QAction*>(QStringLiteral("VerifySelected"))->trigger();
    VerifyWindow& window = m_program->verify();
    window.setDeadlineGrace(2000);
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);
    window.VerifyButton->click();
    QVERIFY(ended.wait(120000));
    QCOMPARE(window.Table->model()->rowCount(), 1);
    QCOMPARE(window.Progress->value(), 1);

    // A Popeye path changed in the options is the one the next run takes.
    m_program->options().settings().PopeyeExe = QStringLiteral("/no/such/popeye");
    window.RerunButton->click();
    QVERIFY(!window.isRunning());
    QCOMPARE(m_prompts->shown.size(), 1);
    QVERIFY(m_prompts->shown.first().contains(kSolverNotFound));
    m_program->options().settings().PopeyeExe = kFakePopeye;

    // Another collection: nothing of the one before is shown or chosen.
    openItems(m_dir->filePath(QStringLiteral("other.dgr")),
              {QStringLiteral("cooked"), QStringLiteral("nosolution")});
    QCOMPARE(window.Table->model()->rowCount(), 0);
    QVERIFY(!window.SelectedItems->isChecked());
    QVERIFY(!window.SelectedItems->isEnabled());
    QCOMPARE(window.Progress->value(), 0);
    QCOMPARE(window.ProgressLabel->text(), QString());
    window.VerifyButton->click();
    QVERIFY(ended.wait(120000));
    QCOMPARE(window.Table->model()->rowCount(), 2);
    QCOMPARE(cell(window, 0, VerifyTableModel::OutcomeColumn), QStringLiteral("cooked"));
    QCOMPARE(cell(window, 1, VerifyTableModel::OutcomeColumn), QStringLiteral("no solution"));
}

void TestVerifyFromProgram::fileKeywordItemIsRefused()
{
    const QString target = m_dir->filePath(QStringLiteral("written.txt"));
    openItems({QStringLiteral("unique"), QStringLiteral("unique")},
              {QString(), QStringLiteral("Circe protocol ") + target});
    VerifyWindow& window = startFromSolveWindow();
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);
    window.VerifyButton->click();
    QVERIFY(ended.wait(120000));
    QCOMPARE(cell(window, 0, VerifyTableModel::OutcomeColumn), QStringLiteral("sound"));
    QCOMPARE(cell(window, 1, VerifyTableModel::OutcomeColumn), QStringLiteral("refused"));
    const QString detail = cell(window, 1, VerifyTableModel::FirstMoves);
    QVERIFY2(detail.startsWith(QStringLiteral("Item 2 ")) && detail.contains(u"condition") &&
                 detail.contains(u"\"protocol\""),
             qPrintable(detail));
    QVERIFY(!QFile::exists(target));
}

QTEST_MAIN(TestVerifyFromProgram)
#include "tst_verifyfromprogram.moc"
