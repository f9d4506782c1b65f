// The "Verify collection" window over 50 items with the stand-in solver: the table, a second
// verification that runs only changed items, Stop, the results file, filter, export and the
// signals for the main window.
#include "app/scriptedprompts.h"
#include "verify/verifywindow.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace vexil;

namespace {

const QStringList kMarkers{"unique", "cooked",    "nosolution", "help2",
                           "twins",  "timelimit", "inputerror", "crash"};
const QStringList kOutcomes{"sound",  "cooked",     "no solution", "sound",
                            "cooked", "time limit", "input error", "failed"};
constexpr int kItems = 50;

// A collection of 50 items held by the test: item 50 never ends.
struct Items {
    QHash<int, QByteArray> stored;
    int count = kItems;
    QList<int> built; // the items whose Popeye text was asked for

    QString marker(int n) const
    {
        return n == kItems ? QStringLiteral("hang") : kMarkers[(n - 1) % 8];
    }
    QString outcome(int n) const
    {
        return n == kItems ? QStringLiteral("time limit") : kOutcomes[(n - 1) % 8];
    }

    VerifySource source()
    {
        for (int n = 1; n <= kItems; ++n)
            stored[n] = "item " + QByteArray::number(n);
        VerifySource s;
        s.itemCount = [this] { return count; };
        s.itemInfo = [this](int n) {
            VerifyItemInfo info;
            info.author = marker(n);
            info.stipulation = marker(n) == u"help2" ? QStringLiteral("h#2") : QStringLiteral("#2");
            info.solution = marker(n) == u"help2"
                                ? QStringList{"1.Rf2 Rd6 2.Rb2 Rd1#", "1.Rb5 Rd6 2.Rb2 Rd1#"}
                                : QStringList{"1.Rg3! threat"};
            return info;
        };
        s.storedLines = [this](int n) { return stored.value(n); };
        s.popeyeInput = [this](int n) {
            built.append(n);
            return "BeginProblem\nAuthor " + marker(n).toLatin1() +
                   "\nPieces\nStipulation #2\nOption NoBoard\nEndProblem\n";
        };
        return s;
    }
};

QString cell(const VerifyWindow& window, int row, int column)
{
    return window.Table->model()->index(row, column).data().toString();
}

} // namespace

class TestVerifyWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("VEXIL_FAKE_DELAY", "0.02"); }
    void verifiesCollection();
    void stopEndsRunAtOnce();
    void itemSavedDuringRun();
    void missingPopeyeIsReported();
    void resultsOfALinkStayInMemory();
    void everyControlHasAName();
};

void TestVerifyWindow::verifiesCollection()
{
    QTemporaryDir folder;
    const QString resultsPath = folder.filePath(QStringLiteral("c.dgr.verify"));
    test::ScriptedPrompts prompts;
    Items items;
    VerifyWindow window(prompts, items.source());
    window.setPopeye(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye"),
                     QStringLiteral("4M"));
    window.setResultsFile(resultsPath);
    // A limit of one second; the grace leaves room for a slow start of the stand-in on a
    // loaded machine.
    window.setDeadlineGrace(3000);
    window.MaxTime->setValue(1);
    window.Parallel->setMaximum(4);
    window.Parallel->setValue(4);
    window.show();
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);

    window.VerifyButton->click();
    QVERIFY(window.isRunning());
    QVERIFY(!window.VerifyButton->isEnabled());
    QVERIFY(window.StopButton->isEnabled());
    QVERIFY(ended.wait(200000));
    QVERIFY(!window.isRunning());
    QCOMPARE(window.Table->model()->rowCount(), kItems);
    for (int row = 0; row < kItems; ++row) {
        const int n = cell(window, row, VerifyTableModel::Number).toInt();
        QCOMPARE(n, row + 1);
        QCOMPARE(cell(window, row, VerifyTableModel::Author), items.marker(n));
        QCOMPARE(cell(window, row, VerifyTableModel::OutcomeColumn), items.outcome(n));
    }
    QCOMPARE(cell(window, 0, VerifyTableModel::FirstMoves), QStringLiteral("Rb3-g3"));
    QCOMPARE(cell(window, 0, VerifyTableModel::StoredMove), QStringLiteral("yes"));
    QCOMPARE(cell(window, 0, VerifyTableModel::Solutions), QStringLiteral("1"));
    QCOMPARE(cell(window, 6, VerifyTableModel::FirstMoves), QStringLiteral("Xq4"));
    QCOMPARE(window.Progress->value(), kItems);
    QVERIFY(window.ProgressLabel->text().startsWith(u"50 / 50 done"));
    QCOMPARE(VerifyResults::read(resultsPath).size(), kItems);
    QVERIFY(prompts.shown.isEmpty());

    // The screenshot of the results, for a person to look at.
    window.grab().save(QCoreApplication::applicationDirPath() +
                       QStringLiteral("/verify-window.png"));

    // Only changed items run again, also in a new window on the same results file.
    items.built.clear();
    VerifyWindow again(prompts, items.source());
    items.stored[3] = "item 3, edited";
    items.stored[11] = "item 11, edited";
    again.setPopeye(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye"),
                    QStringLiteral("4M"));
    again.setResultsFile(resultsPath);
    again.MaxTime->setValue(1);
    QSignalSpy endedAgain(&again, &VerifyWindow::verificationFinished);
    again.VerifyButton->click();
    QVERIFY(endedAgain.wait(100000));
    QCOMPARE(items.built, (QList<int>{3, 11}));
    // The results of the old lines of items 3 and 11 are gone from the file.
    QCOMPARE(VerifyResults::read(resultsPath).size(), kItems);
    QCOMPARE(cell(again, 2, VerifyTableModel::OutcomeColumn), QStringLiteral("no solution"));
    QCOMPARE(cell(again, 20, VerifyTableModel::OutcomeColumn), items.outcome(21));

    // Another MaxTime is another verification.
    items.built.clear();
    again.RangeItems->setChecked(true);
    again.FromItem->setValue(5);
    again.ToItem->setValue(7);
    again.MaxTime->setValue(2);
    again.VerifyButton->click();
    QVERIFY(endedAgain.wait(100000));
    QCOMPARE(items.built, (QList<int>{5, 6, 7}));
    QCOMPARE(again.Table->model()->rowCount(), 3);

    // Filter by outcome, then sort by it.
    window.OutcomeFilter->setCurrentText(QStringLiteral("cooked"));
    int cooked = 0;
    for (int n = 1; n <= kItems; ++n)
        cooked += items.outcome(n) == u"cooked";
    QCOMPARE(window.Table->model()->rowCount(), cooked);
    for (int row = 0; row < cooked; ++row)
        QCOMPARE(cell(window, row, VerifyTableModel::OutcomeColumn), QStringLiteral("cooked"));
    window.OutcomeFilter->setCurrentIndex(0);
    QCOMPARE(window.Table->model()->rowCount(), kItems);
    window.Table->sortByColumn(VerifyTableModel::OutcomeColumn, Qt::AscendingOrder);
    QCOMPARE(cell(window, 0, VerifyTableModel::OutcomeColumn), QStringLiteral("cooked"));
    QCOMPARE(cell(window, kItems - 1, VerifyTableModel::OutcomeColumn),
             QStringLiteral("time limit"));

    // Double click shows the item, Copy hands over Popeye's text for it.
    window.Table->sortByColumn(VerifyTableModel::Number, Qt::DescendingOrder);
    QSignalSpy show(&window, &VerifyWindow::showItemRequested);
    QSignalSpy copy(&window, &VerifyWindow::copySolutionRequested);
    const QModelIndex item41 = window.Table->model()->index(kItems - 41, 0);
    window.Table->setCurrentIndex(item41);
    emit window.Table->doubleClicked(item41);
    QCOMPARE(show.size(), 1);
    QCOMPARE(show.first().first().toInt(), 41);
    window.CopyButton->click();
    QCOMPARE(copy.size(), 1);
    QCOMPARE(copy.first().at(0).toInt(), 41);
    QVERIFY(copy.first().at(1).toString().startsWith(u"   1.Rb3-g3 ! threat:"));

    // Export: what the table shows, in its order.
    const QString csv = folder.filePath(QStringLiteral("results.csv"));
    prompts.fileNames.push_back(csv);
    window.ExportButton->click();
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), kItems + 2);
    QVERIFY(lines[1].startsWith("50,hang,#2,time limit,"));
    QVERIFY(lines[10].startsWith("41,unique,#2,sound,1,Rb3-g3,"));
}

void TestVerifyWindow::stopEndsRunAtOnce()
{
    QTemporaryDir folder;
    const QString resultsPath = folder.filePath(QStringLiteral("c.dgr.verify"));
    test::ScriptedPrompts prompts;
    Items items;
    VerifyWindow window(prompts, items.source());
    window.setPopeye(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye"),
                     QStringLiteral("4M"));
    window.setResultsFile(resultsPath);
    window.Parallel->setValue(1);
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);
    window.VerifyButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(window.Progress->value() >= 3, 20000);
    window.StopButton->click();
    QCOMPARE(ended.size(), 1);
    QVERIFY(!window.isRunning());
    QVERIFY(window.VerifyButton->isEnabled());
    QVERIFY(!window.StopButton->isEnabled());
    QVERIFY(window.ProgressLabel->text().endsWith(u", stopped"));
    // What was done is kept; the rest has no result.
    const int done = VerifyResults::read(resultsPath).size();
    QVERIFY(done >= 3 && done < kItems);
    QCOMPARE(cell(window, kItems - 1, VerifyTableModel::OutcomeColumn), QString());
    // Verifying again takes up where it stopped.
    items.built.clear();
    window.Parallel->setValue(4);
    window.MaxTime->setValue(60);
    window.RangeItems->setChecked(true);
    window.FromItem->setValue(1);
    window.ToItem->setValue(kItems - 1);
    window.VerifyButton->click();
    QVERIFY(ended.wait(200000));
    QCOMPARE(items.built.size(), kItems - 1 - done);
    QCOMPARE(VerifyResults::read(resultsPath).size(), kItems - 1);
}

void TestVerifyWindow::itemSavedDuringRun()
{
    QTemporaryDir folder;
    const QString resultsPath = folder.filePath(QStringLiteral("c.dgr.verify"));
    test::ScriptedPrompts prompts;
    Items items;
    VerifyWindow window(prompts, items.source());
    window.setPopeye(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye"),
                     QStringLiteral("4M"));
    window.setResultsFile(resultsPath);
    window.Parallel->setValue(1);
    window.RangeItems->setChecked(true);
    window.FromItem->setValue(1);
    window.ToItem->setValue(5);
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);
    window.VerifyButton->click();
    // Item 5 is saved with new lines before its turn comes.
    items.stored[5] = "item 5, saved during the run";
    QVERIFY(ended.wait(100000));
    QCOMPARE(cell(window, 4, VerifyTableModel::OutcomeColumn), QStringLiteral("failed"));
    QCOMPARE(VerifyResults::read(resultsPath).size(), 4);
    items.built.clear();
    window.VerifyButton->click();
    QVERIFY(ended.wait(100000));
    QCOMPARE(items.built, QList<int>{5});
    QCOMPARE(cell(window, 4, VerifyTableModel::OutcomeColumn), items.outcome(5));
}

void TestVerifyWindow::missingPopeyeIsReported()
{
    test::ScriptedPrompts prompts;
    Items items;
    VerifyWindow window(prompts, items.source());
    window.setPopeye(QStringLiteral("/no/such/popeye"), QStringLiteral("4M"));
    window.VerifyButton->click();
    QCOMPARE(prompts.shown,
             QStringList{QStringLiteral("message: Set path to SOLVE-EXE file in \"Options\" window "
                                        "!\n/no/such/popeye: not found")});
    QVERIFY(!window.isRunning());
    QVERIFY(window.VerifyButton->isEnabled());
}

void TestVerifyWindow::everyControlHasAName()
{
    test::ScriptedPrompts prompts;
    Items items;
    VerifyWindow window(prompts, items.source());
    window.setSelection({4, 2});
    QVERIFY(window.SelectedItems->isChecked());
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(control) || control->objectName().isEmpty() ||
            control->objectName().startsWith(u"qt_"))
            continue;
        const auto* button = qobject_cast<QAbstractButton*>(control);
        const QString name = button ? button->text() : control->accessibleName();
        QVERIFY2(!name.isEmpty(), qPrintable(control->objectName()));
    }
}

void TestVerifyWindow::resultsOfALinkStayInMemory()
{
    QTemporaryDir folder;
    const QString notes = folder.filePath(QStringLiteral("notes.txt"));
    const QString resultsPath = folder.filePath(QStringLiteral("c.dgr.verify"));
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("my notes");
    file.close();
    QVERIFY(QFile::link(notes, resultsPath));
    test::ScriptedPrompts prompts;
    Items items;
    items.count = 3;
    VerifyWindow window(prompts, items.source());
    window.setPopeye(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye"),
                     QStringLiteral("4M"));
    window.setResultsFile(resultsPath);
    QCOMPARE(prompts.shown.size(), 1); // said once, when the collection opens
    window.setDeadlineGrace(3000);
    window.MaxTime->setValue(1);
    QSignalSpy ended(&window, &VerifyWindow::verificationFinished);
    window.VerifyButton->click();
    QVERIFY(ended.wait(100000));
    QCOMPARE(items.built, (QList<int>{1, 2, 3}));
    // A second run finds every result of the first in memory.
    items.built.clear();
    window.VerifyButton->click();
    QCOMPARE(items.built, QList<int>());
    QCOMPARE(window.Table->model()->rowCount(), 3);
    QCOMPARE(prompts.shown.size(), 1);
    QVERIFY(QFileInfo(resultsPath).isSymLink());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("my notes"));
}

QTEST_MAIN(TestVerifyWindow)
#include "tst_verifywindow.moc"
