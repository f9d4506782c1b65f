#include "app/idgr.h"
#include "app/program.h"
#include "app/scriptedprompts.h"
#include "settings/store.h"
#include "solve/popeye.h"
#include "solve/solverrun.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;

namespace {

const QString kFakePopeye = QStringLiteral(VEXIL_SOURCE_DIR "/tests/solve/fake-popeye");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// Catches what the window hands to the desktop's viewer.
class Viewer : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestSolveWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;
    QString m_folder; // the solve window's program folder

    void start(const Settings& settings)
    {
        m_program.reset();
        FileSettingsStore store(m_dir->filePath("settings.reg"));
        QVERIFY(SaveSettings(store, settings));
        m_program = test::startProgram(m_dir->path(), m_prompts);
        QFile::copy(VEXIL_SOURCE_DIR "/examples/sample.dgr", m_dir->filePath("sample.dgr"));
        main().openNamedCollection(m_dir->filePath("sample.dgr"));
        QVERIFY(main().currentItem() >= 1);
        solve().setProgramFolder(m_folder);
        solve().show();
    }
    TForm1& main() { return m_program->main(); }
    TForm2& solve() { return m_program->solve(); }
    QString file(const char* name) const { return m_folder + QLatin1String(name); }
    void useTab(bool popeye) { solve().TabSet->setCurrentIndex(popeye ? 0 : 1); }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString pane() const { return m_program->solve().Memo1->toPlainText(); }
    // A script that stands in for Stockfish: it prints its arguments and a word on stderr.
    QString fakeStockfish()
    {
        const QString path = m_dir->filePath("fake-stockfish");
        writeFile(path, "#!/bin/sh\necho \"args: $*\"\necho 'info depth 1' >&2\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        return path;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->filePath("solve") + "/";
        QDir().mkpath(m_folder);
        qputenv("FAKE_POPEYE_DELAY", "0.05");
        Settings settings;
        settings.PopeyeExe = kFakePopeye;
        settings.SfExe = fakeStockfish();
        start(settings);
    }
    void cleanup() { m_program.reset(); }

    void toolbarShowsWithoutFilling();
    void copyItemTakesUnsavedEdits();
    void afterKeyTwinsAreRefusedOneByOne();
    void resetAll();
    void popeyeSolveAndView();
    void popeyeLineTooLong();
    void fileKeywordRefusedOnSolve();
    void programNotFound_data();
    void programNotFound();
    void runEndShowsWhatHappened_data();
    void runEndShowsWhatHappened();
    void stockfishSummaryAboveItsOutput();
    void printedTwinsAreSaidToBeRewritten();
    void stockfishSolve();
    void stockfishTimeNotAnInteger();
    void stockfishRefusesBadPositions();
    void viewSolutionReadsOnlyItsOwnFile();
    void viewSolutionShowsTheEndOfALargeOutput();
    void oneRunPerTabAndStop();
    void closingEndsTheRun();
    void everyControlIsNamed();
};

void TestSolveWindow::toolbarShowsWithoutFilling()
{
    solve().Memo1->setPlainText("kept");
    solve().hide();
    click(main().SpeedButton15);
    QVERIFY(solve().isVisible());
    QCOMPARE(pane(), QStringLiteral("kept"));
    click(solve().CloseButton);
    QVERIFY(!solve().isVisible());
    QCOMPARE(pane(), QStringLiteral("kept"));
}

void TestSolveWindow::copyItemTakesUnsavedEdits()
{
    main().Edit1->setText(QStringLiteral("Unsaved Author"));
    main().board().squares = {};
    main().board().at(0, 4) = 12; // black king e8
    main().board().at(7, 4) = 11; // white king e1
    main().board().at(6, 0) = 5;  // white knight a2
    click(solve().CopyItem);
    const QStringList lines = pane().split('\n');
    QCOMPARE(lines.value(1), QStringLiteral("Author Unsaved Author"));
    QCOMPARE(lines.value(3), "Protocol " + file("py.txt"));
    QVERIFY2(lines.contains("White Sa2 Ke1"), qPrintable(pane()));
    QVERIFY2(lines.contains("Black Ke8"), qPrintable(pane()));

    useTab(false);
    solve().BlackToMove->setChecked(true);
    solve().EnPassant->setText("e3");
    click(solve().CopyItem);
    QCOMPARE(pane(), QStringLiteral("4k3/8/8/8/8/8/N7/4K3 b - e3"));
}

void TestSolveWindow::afterKeyTwinsAreRefusedOneByOne()
{
    main().Memo2->setPlainText("Twin Rotate 90\nTwin AfterKey\nTwin AfterKey Zero");
    click(solve().CopyItem);
    QCOMPARE(m_prompts->shown.count("message: " + kAfterKeyRefused), 2);
    QVERIFY(pane().contains("\nTwin Rotate 90\nEndProblem"));
    QVERIFY(!pane().contains("AfterKey"));
}

void TestSolveWindow::resetAll()
{
    TForm2& w = solve();
    w.PopeyeMemory->setEditText("100M");
    w.Variation->setChecked(false);
    w.Defence->setValue(5);
    w.MaxSolutions->setValue(3);
    for (QCheckBox* box : {w.Try, w.Set, w.NoThreat, w.PostKeyPlay, w.NoWk})
        box->setChecked(true);
    w.OptionList->setEditText("MaxTime 5");
    w.TimeLimit->setEditText("3");
    click(w.ResetAll);
    click(w.CopyItem);
    QVERIFY2(pane().contains("\nOption Variation NoBoard\n"), qPrintable(pane()));
    QCOMPARE(w.Defence->value(), 1);
    QCOMPARE(w.OptionList->currentText(), QString());
    QCOMPARE(w.PopeyeMemory->currentText(), QStringLiteral("100M"));
    QCOMPARE(w.TimeLimit->currentText(), QStringLiteral("3"));
}

void TestSolveWindow::popeyeSolveAndView()
{
    writeFile(file("py.txt"), "an old protocol\r\n");
    solve().PopeyeMemory->setEditText("100M");
    click(solve().CopyItem);
    const QStringList shown = pane().split('\n');
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown, QStringList());
    QCOMPARE(readAll(file("py.in")), shown.join("\r\n").toLatin1() + "\r\n");
    QVERIFY(solve().run(true).isRunning());
    QVERIFY(solve().Status->text().startsWith("Popeye running… "));
    QVERIFY(solve().StopButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(solve().Status->text().startsWith("Popeye finished (exit 0) in "),
                             10000);
    QVERIFY(!solve().StopButton->isEnabled());
    click(solve().ViewSolution);
    // The stand-in names the memory it was given and writes what Popeye 4.104 wrote.
    QVERIFY2(pane().startsWith("Popeye Linux-stand-in v4.104 (100M)\n"), qPrintable(pane()));
    QVERIFY(pane().contains("solution finished."));
    QVERIFY(!pane().contains("an old protocol"));

    // Solve right after View writes the output as the new input, and an empty pane an
    // empty file.
    solve().Memo1->clear();
    click(solve().SolveButton);
    QCOMPARE(readAll(file("py.in")), QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(solve().Status->text().startsWith("Popeye finished (exit 2)"), 10000);
}

void TestSolveWindow::popeyeLineTooLong()
{
    writeFile(file("py.txt"), "old");
    solve().Memo1->setPlainText("BeginProblem\nOrigin " + QString(300, 'x') + "\nEndProblem");
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown.size(), 1);
    QVERIFY2(m_prompts->shown[0].startsWith("message: Line 2 "), qPrintable(m_prompts->shown[0]));
    QVERIFY(!QFile::exists(file("py.in")));
    QCOMPARE(readAll(file("py.txt")), QByteArray("old"));
    QVERIFY(!solve().run(true).isRunning());
}

void TestSolveWindow::fileKeywordRefusedOnSolve()
{
    // A condition that would make Popeye append its output to a file of the item's choosing.
    const QString target = m_dir->filePath("written-by-condition.txt");
    main().ComboBox2->setEditText("Circe protocol " + target);
    writeFile(file("py.txt"), "old");
    click(solve().CopyItem);
    // The text is shown as built, for the user to read and edit.
    QVERIFY2(pane().contains("\nCondition Circe protocol " + target + "\n"), qPrintable(pane()));
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown.size(), 1);
    const QString message = m_prompts->shown[0];
    QVERIFY2(message.startsWith(QStringLiteral("message: Item %1 ").arg(main().currentItem())) &&
                 message.contains("condition") && message.contains("\"protocol\""),
             qPrintable(message));
    QVERIFY(!QFile::exists(file("py.in")));
    QCOMPARE(readAll(file("py.txt")), QByteArray("old"));
    QVERIFY(!solve().run(true).isRunning());

    // A word typed into the text by hand is refused by its line.
    solve().Memo1->setPlainText(pane().replace("protocol " + target, "") + "\nPROT x");
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown.size(), 2);
    QVERIFY2(m_prompts->shown[1].startsWith("message: Line ") &&
                 m_prompts->shown[1].contains("\"PROT\""),
             qPrintable(m_prompts->shown[1]));

    // With the word taken out the text is solved.
    solve().Memo1->setPlainText(pane().remove("\nPROT x"));
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(solve().Status->text().startsWith("Popeye finished (exit 0)"), 10000);
    QVERIFY(!QFile::exists(target));
}

void TestSolveWindow::programNotFound_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("popeye");
    QTest::addColumn<QString>("named"); // the second line of the message
    QTest::newRow("empty Popeye path") << "" << true << "\"\": no program is set";
    QTest::newRow("missing Stockfish")
        << "/nonexistent/stockfish" << false << "/nonexistent/stockfish: not found";
    QTest::newRow("not in PATH") << "no-such-popeye-anywhere" << true
                                 << "no-such-popeye-anywhere: not found";
    QTest::newRow("not executable")
        << VEXIL_SOURCE_DIR "/README.md" << true << VEXIL_SOURCE_DIR "/README.md: not executable";
    QTest::newRow("a folder") << VEXIL_SOURCE_DIR "/tests" << false
                              << VEXIL_SOURCE_DIR "/tests: not a program";
    // Marked executable, but the system has no way to run it.
    QTest::newRow("executable, but no program")
        << "<garbage>" << true << "<garbage>: not a program";
}

void TestSolveWindow::programNotFound()
{
    QFETCH(QString, path);
    QFETCH(bool, popeye);
    QFETCH(QString, named);
    if (path == u"<garbage>") {
        const QString garbage = m_dir->filePath("garbage");
        writeFile(garbage, QByteArray("\x01\x02\x03 not a program\n"));
        QFile::setPermissions(garbage, QFile::permissions(garbage) | QFile::ExeOwner);
        named.replace("<garbage>", garbage);
        path = garbage;
    }
    Settings settings;
    settings.PopeyeExe = settings.SfExe = path;
    start(settings);
    useTab(popeye);
    const QString output = file(popeye ? "py.txt" : "bench.txt");
    writeFile(output, "old");
    click(solve().CopyItem);
    click(solve().SolveButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->shown.size(), 1, 5000);
    QCOMPARE(m_prompts->shown, QStringList{"message: " + kSolverNotFound + "\n" + named});
    // The input was written and the old output removed before the program was looked for.
    QVERIFY(QFile::exists(file(popeye ? "py.in" : "ibench.txt")));
    QVERIFY(!QFile::exists(output));
}

void TestSolveWindow::runEndShowsWhatHappened_data()
{
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("status");
    QTest::newRow("solved") << "Somebody"
                            << "Popeye finished (exit 0) in ";
    QTest::newRow("input errors") << "inputerrors"
                                  << "Popeye finished: 2 input errors";
}

void TestSolveWindow::runEndShowsWhatHappened()
{
    QFETCH(QString, author);
    QFETCH(QString, status);
    main().Edit1->setText(author);
    click(solve().CopyItem);
    click(solve().SolveButton);
    // The output comes into the pane without a press of "View solution".
    QTRY_VERIFY_WITH_TIMEOUT(pane().contains("solution finished."), 10000);
    QVERIFY2(pane().startsWith("Popeye Linux-stand-in"), qPrintable(pane()));
    QVERIFY2(solve().Status->text().startsWith(status), qPrintable(solve().Status->text()));
    QCOMPARE(m_prompts->shown, QStringList());
}

void TestSolveWindow::stockfishSummaryAboveItsOutput()
{
    const QString path = m_dir->filePath("answering-stockfish");
    writeFile(path, "#!/bin/sh\necho 'info depth 3 score cp 25 pv e1f1'\n"
                    "echo 'info depth 9 score mate 1 pv h1h8'\necho 'bestmove h1h8'\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    Settings settings;
    settings.PopeyeExe = kFakePopeye;
    settings.SfExe = path;
    start(settings);
    useTab(false);
    solve().Memo1->setPlainText("4k3/8/8/8/8/8/8/4K2R w K -");
    click(solve().SolveButton);
    QTRY_VERIFY_WITH_TIMEOUT(pane().startsWith("Mate in 1: 1.Rh8\ninfo depth 3"), 10000);
    QVERIFY(pane().endsWith("bestmove h1h8"));
    // "View solution" shows the file as the engine wrote it.
    click(solve().ViewSolution);
    QVERIFY(pane().startsWith("info depth 3"));
}

void TestSolveWindow::printedTwinsAreSaidToBeRewritten()
{
    main().Memo2->setPlainText("b) wRg6-->g7\nTwin Rotate 90");
    click(solve().CopyItem);
    QVERIFY2(pane().contains("\nTwin Move g6 g7\nTwin Rotate 90\nEndProblem"), qPrintable(pane()));
    QVERIFY2(solve().Status->text().endsWith(": 1"), qPrintable(solve().Status->text()));
    QCOMPARE(solve().Status->toolTip(), QStringLiteral("b) wRg6-->g7"));
}

void TestSolveWindow::stockfishSolve()
{
    useTab(false);
    solve().TimeLimit->setEditText("3");
    solve().Memo1->setPlainText("\n4k3/8/8/8/8/8/8/4K3 w - -\n   \n4k3/8/8/8/8/8/8/4K2R w K -\n");
    writeFile(file("bench.txt"), "old");
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown, QStringList());
    QCOMPARE(readAll(file("ibench.txt")),
             QByteArray("4k3/8/8/8/8/8/8/4K3 w - -\r\n4k3/8/8/8/8/8/8/4K2R w K -\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(solve().Status->text().startsWith("Stockfish finished (exit 0)"),
                             10000);
    click(solve().ViewSolution);
    QCOMPARE(pane(), "args: bench 32 1 180000 " + file("ibench.txt") + " movetime\ninfo depth 1");
    // The Popeye tab's run is another one.
    useTab(true);
    QCOMPARE(solve().Status->text(), QString());
}

void TestSolveWindow::stockfishTimeNotAnInteger()
{
    useTab(false);
    solve().TimeLimit->setEditText("ten");
    writeFile(file("bench.txt"), "old");
    click(solve().CopyItem);
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown, QStringList{"error: 'ten' is not a valid integer value"});
    QVERIFY(QFile::exists(file("ibench.txt")));
    QVERIFY(!QFile::exists(file("bench.txt")));
    QVERIFY(!solve().run(false).isRunning());
}

void TestSolveWindow::stockfishRefusesBadPositions()
{
    useTab(false);
    main().board().squares = {};
    click(solve().CopyItem);
    const QString kingless = pane();
    solve().Memo1->setPlainText("4k3/8/8/8/8/8/8/4K3 w - -\n\n" + kingless);
    writeFile(file("bench.txt"), "old");
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown.size(), 1);
    QVERIFY2(m_prompts->shown[0].startsWith("message: Line 3 ") &&
                 m_prompts->shown[0].contains("king"),
             qPrintable(m_prompts->shown[0]));
    QVERIFY(!QFile::exists(file("ibench.txt")));
    QCOMPARE(readAll(file("bench.txt")), QByteArray("old"));
    QCOMPARE(pane(), "4k3/8/8/8/8/8/8/4K3 w - -\n\n" + kingless);
    QVERIFY(!solve().run(false).isRunning());
}

void TestSolveWindow::viewSolutionReadsOnlyItsOwnFile()
{
    Viewer viewer;
    QDesktopServices::setUrlHandler("file", &viewer, "open");
    writeFile(file("py.txt"), "popeye\r\nsaid\r\n");
    solve().Memo1->setPlainText("before");
    click(solve().ViewSolution);
    QCOMPARE(pane(), QStringLiteral("popeye\nsaid"));

    useTab(false);
    click(solve().ViewSolution);
    QCOMPARE(pane(), QString());
    QVERIFY(solve().Status->text().contains("bench.txt"));
    writeFile(file("bench.txt"), "stockfish");
    click(solve().ViewSolution);
    QCOMPARE(pane(), QStringLiteral("stockfish"));
    QVERIFY(viewer.opened.isEmpty());

    // A file that is there but cannot be read goes to the desktop's viewer.
    QFile::remove(file("bench.txt"));
    QDir().mkpath(file("bench.txt"));
    click(solve().ViewSolution);
    QCOMPARE(pane(), QString());
    QCOMPARE(viewer.opened, QList<QUrl>{QUrl::fromLocalFile(file("bench.txt"))});
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(m_prompts->shown, QStringList());
}

void TestSolveWindow::viewSolutionShowsTheEndOfALargeOutput()
{
    QByteArray output;
    for (int i = 0; output.size() < 3 * 1024 * 1024; ++i)
        output += "line " + QByteArray::number(i) + "\r\n";
    output += "the last line\r\n";
    writeFile(file("py.txt"), output);
    click(solve().ViewSolution);
    // The text comes in a part at a time, the window answering in between.
    QVERIFY(!pane().endsWith("\nthe last line"));
    QTRY_VERIFY_WITH_TIMEOUT(pane().endsWith("\nthe last line"), 30000);
    const QString shown = pane();
    QVERIFY(shown.size() <= 2 * 1024 * 1024 + 200);
    QVERIFY(shown.endsWith("\nthe last line"));
    // A line says what is left out, and no line is shown cut short.
    const QStringList lines = shown.split('\n');
    QVERIFY2(lines[0].contains("py.txt") && lines[0].contains("3.0 MB"), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith("line ") && output.contains("\r\n" + lines[1].toLatin1() + "\r\n"),
             qPrintable(lines[1]));

    // Solve while the text is still coming in writes all of it.
    click(solve().ViewSolution);
    click(solve().SolveButton);
    QCOMPARE(readAll(file("py.in")), shown.toLatin1().replace("\n", "\r\n") + "\r\n");
}

void TestSolveWindow::oneRunPerTabAndStop()
{
    qputenv("FAKE_POPEYE_DELAY", "5");
    click(solve().CopyItem);
    click(solve().SolveButton);
    QVERIFY(solve().run(true).isRunning());
    const QByteArray firstInput = readAll(file("py.in"));
    solve().Memo1->setPlainText("BeginProblem\nEndProblem");
    click(solve().SolveButton);
    QCOMPARE(m_prompts->shown, QStringList());
    QCOMPARE(readAll(file("py.in")), firstInput);
    QVERIFY2(solve().Status->text().contains("still running"), qPrintable(solve().Status->text()));

    // The other tab runs beside it.
    useTab(false);
    solve().Memo1->setPlainText("4k3/8/8/8/8/8/8/4K3 w - -");
    click(solve().SolveButton);
    QTRY_VERIFY_WITH_TIMEOUT(solve().Status->text().startsWith("Stockfish finished"), 10000);
    QVERIFY(solve().run(true).isRunning());

    useTab(true);
    // View while the run goes on shows what the protocol holds so far.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file("py.txt")).size() > 0, 10000);
    click(solve().ViewSolution);
    QVERIFY2(pane().startsWith("Popeye Linux-stand-in"), qPrintable(pane()));
    QVERIFY(solve().run(true).isRunning());

    const qint64 pid = solve().run(true).processId();
    click(solve().StopButton);
    QTRY_COMPARE_WITH_TIMEOUT(solve().Status->text(), QStringLiteral("Popeye stopped"), 5000);
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)));
}

void TestSolveWindow::closingEndsTheRun()
{
    qputenv("FAKE_POPEYE_DELAY", "5");
    click(solve().CopyItem);
    click(solve().SolveButton);
    QTRY_VERIFY(solve().run(true).processId() > 0);
    const qint64 pid = solve().run(true).processId();
    m_program.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)), 5000);
}

void TestSolveWindow::everyControlIsNamed()
{
    const QList<QWidget*> controls = solve().findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* control : controls) {
        if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QComboBox*>(control) &&
            !qobject_cast<QAbstractSpinBox*>(control) && !qobject_cast<QPlainTextEdit*>(control) &&
            !(qobject_cast<QLineEdit*>(control) && !qobject_cast<QComboBox*>(control->parent()) &&
              !qobject_cast<QAbstractSpinBox*>(control->parent())))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                 qPrintable(control->objectName()));
        ++checked;
    }
    QVERIFY(checked >= 20);
}

QTEST_MAIN(TestSolveWindow)
#include "tst_solvewindow.moc"
