#include "app/boardview.h"
#include "app/idgr.h"
#include "app/fairy.h"
#include "app/program.h"
#include "output/copyd.h"
#include "settings/option.h"
#include "solve/popeye.h"
#include "verify/verifywindow.h"
#include "views/list.h"
#include "views/listd.h"
#include "model/collection.h"
#include "model/sampleitems.h"
#include "scriptedprompts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace vexil;
using test::fileBytes;
using test::numberedCollection;
using test::ScriptedPrompts;
using test::writeBytes;

namespace {

const QByteArray kNewCollection =
    "Dg[0]=new Array\r\n([0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n"
    "[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n"
    "[0,0,0,0,0,0,0,0],\r\n[''],\r\n[''],\r\n[''],\r\n['']);\r\n\r\n"
    "Dg[1]=new Array\r\n([0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n"
    "[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n[0,0,0,0,0,0,0,0],\r\n"
    "[0,0,0,0,0,0,0,0],\r\n[''],\r\n[''],\r\n[''],\r\n['']);\r\n\r\n";

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;

    TForm1& main() { return m_program->main(); }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString panel(int i) { return main().StatusPanel[i]->text(); }
    QString sample()
    {
        const QString copy = path(QStringLiteral("sample.dgr"));
        QFile::remove(copy);
        QFile::copy(QStringLiteral(VEXIL_SOURCE_DIR "/examples/sample.dgr"), copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        return copy;
    }
    void openByDialog(const QString& name)
    {
        m_prompts->fileNames.push_back(name);
        QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
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

    void startState();
    void accessKeysDoNotClashInAnyWindow();
    void controlsCarryTheirCaptionsAndHints();
    void openingANewNameWritesTheEmptyCollection();
    void openingAnEmptyFileLeavesItAsItIs();
    void openingAnInvalidFileLeavesNoCollectionOpen();
    void showingAnItemFillsTheWindowInBrowse();
    void everyFieldEditEntersEdit();
    void confirmSaveChanges();
    void saveRoundTrip();
    void saveStoresWrappedLinesAsLines();
    void saveRefusesTextTheFileCannotHold();
    void failedSaveKeepsTheEditsAndTheFile();
    void saveWithNoItemShownDoesNothing();
    void malformedItemLeavesTheWindowAsItWas();
    void closingInEdit();
    void pbmNamesGoToTheImport();
    void aFileArgumentOpensLikeTheDialog();
    void openingAPbmFileConvertsIt();
};

void TestMainWindow::startState()
{
    QCOMPARE(panel(0), QStringLiteral("OPEN COLLECTION !!!"));
    QCOMPARE(panel(1), QStringLiteral("0 items"));
    QCOMPARE(panel(2), QStringLiteral("Browse"));
    QVERIFY(!main().SpeedButton8->isEnabled());
    QVERIFY(!main().SpeedButton10->isEnabled());
    QVERIFY(!main().SpeedButton14->isEnabled());
    QVERIFY(main().SpeedButton7->isEnabled());
    QCOMPARE(main().windowTitle(), QStringLiteral("Vexil"));
    QCOMPARE(main().Label3->text(), QStringLiteral("( 0 + 0 )"));

    // With no collection open, edits change nothing but the piece count.
    QTest::keyClicks(main().Edit1, QStringLiteral("Loyd"));
    QCOMPARE(panel(2), QStringLiteral("Browse"));
    QVERIFY(!main().isEditing());
    main().board().at(0, 0) = 11;
    main().EnterEditState();
    QCOMPARE(main().Label3->text(), QStringLiteral("( 1 + 0 )"));
    QCOMPARE(panel(2), QStringLiteral("Browse"));
}

void TestMainWindow::controlsCarryTheirCaptionsAndHints()
{
    const QList<std::tuple<const char*, const char*, const char*>> buttons = {
        {"SpeedButton7", "Open", "Open collection"},
        {"SpeedButton8", "Save", "Save collection"},
        {"SpeedButton9", "Cancel", "Cancel update"},
        {"SpeedButton10", "New", "New item"},
        {"SpeedButton11", "Delete", "Delete item"},
        {"SpeedButton12", "Change", "Change number of item"},
        {"SpeedButton14", "Copy", "Copy item to collection"},
        {"SpeedButton21", "Print", "Print item"},
        {"SpeedButton13", "Options", "Options"},
        {"SpeedButton1", "Export", "Copy item to Clipboard"},
        {"SpeedButton15", "Solve", "Popeye"},
        {"SpeedButton2", "|<", "First item"},
        {"SpeedButton3", "<", "Previous item"},
        {"SpeedButton4", ">", "Next item"},
        {"SpeedButton5", ">|", "Last item"},
        {"SpeedButton6", nullptr, "Go to item"},
        {"SpeedButton23", "View list", "View list"},
        {"SpeedButton26", "List of diagrams", "List of diagrams"},
        {"SpeedButton16", nullptr, "Move up"},
        {"SpeedButton17", nullptr, "Move left"},
        {"SpeedButton18", nullptr, "Move right"},
        {"SpeedButton19", nullptr, "Rotation"},
        {"SpeedButton20", nullptr, "Move down"},
        {"SpeedButton22", nullptr, "Vertical mirror"},
        {"SpeedButton24", nullptr, "Horizontal mirror"},
        {"SpeedButton25", nullptr, "Exchange colors"},
        {"SpeedButton27", nullptr, "Clear diagram"},
    };
    for (const auto& [name, caption, hint] : buttons) {
        auto* button = main().findChild<QToolButton*>(QLatin1String(name));
        QVERIFY2(button, name);
        if (caption)
            QCOMPARE(button->text(), QLatin1String(caption));
        // A button with a key names it after the hint: "Open collection (Ctrl+O)".
        const QString tip = button->toolTip();
        QVERIFY2(tip == QLatin1String(hint) ||
                     (tip.startsWith(QLatin1String(hint) + QStringLiteral(" (")) &&
                      tip.endsWith(QLatin1Char(')'))),
                 qPrintable(tip));
    }
    for (const char* name : {"DrawGrid1", "ListBox1", "Edit1", "Edit3", "ComboBox1", "ComboBox2",
                             "ComboBox3", "ComboBox4", "Memo1", "Memo2", "Memo3", "Label3",
                             "Label10", "Button1", "BitBtn1", "StatusBar1"})
        QVERIFY2(main().findChild<QWidget*>(QLatin1String(name)), name);

    QCOMPARE(main().Edit3->maxLength(), 4);
    QCOMPARE(main().ComboBox1->count(), 12);
    QCOMPARE(main().ComboBox4->count(), 106);
    QCOMPARE(main().ComboBox2->count(), 173);
    QCOMPARE(main().ComboBox1->itemText(9), QStringLiteral("ser-a=>b"));
    QCOMPARE(main().ComboBox4->itemText(49), QStringLiteral("\u00D6sterreichische Schachzeitung"));
    QCOMPARE(main().ComboBox2->itemText(172), QStringLiteral("Woozles"));
    QCOMPARE(main().ComboBox4->maxVisibleItems(), 22);
    QCOMPARE(main().ComboBox1->maxVisibleItems(), 12);
    QCOMPARE(main().ComboBox2->maxVisibleItems(), 13);

    QTabWidget* tabs = main().PageControl1;
    QCOMPARE(tabs->tabPosition(), QTabWidget::South);
    QCOMPARE(tabs->count(), 4);
    const QStringList names = {"Item", "Twin", "Solution", "Fairy pieces"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(tabs->tabText(i), names[i]);
    QVERIFY(!main().Label10->isEnabled());
    QCOMPARE(main().Label10->text(), QStringLiteral("Twin"));
    QCOMPARE(main().Button1->text(), QStringLiteral("Show / Refresh"));
    QCOMPARE(main().BitBtn1->text(), QStringLiteral("Add"));
    QCOMPARE(main().DrawGrid1->contentsRect().size(), QSize(216, 216));
    auto labels = main().findChildren<QLabel*>();
    const bool hasVersion = std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
        return l->text() == QStringLiteral("Vexil 2.9") && l->font().bold();
    });
    QVERIFY(hasVersion);
}

void TestMainWindow::openingANewNameWritesTheEmptyCollection()
{
    const QString name = path(QStringLiteral("fresh.dgr"));
    openByDialog(name);
    QCOMPARE(m_prompts->shown, QStringList{"open: Open or create collection"});
    QCOMPARE(fileBytes(name), kNewCollection);
    QCOMPARE(panel(0), name);
    QCOMPARE(panel(1), QStringLiteral("1 items"));
    QCOMPARE(panel(2), QStringLiteral("Browse"));
    QCOMPARE(main().currentItem(), 1);
    QCOMPARE(main().currentItemLine(), 14);
    QCOMPARE(main().Edit3->text(), QStringLiteral("1"));
    QVERIFY(main().SpeedButton8->isEnabled());
    QVERIFY(main().SpeedButton10->isEnabled());
    QVERIFY(main().SpeedButton14->isEnabled());

    // A cancelled dialog changes nothing.
    QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
    QCOMPARE(main().collectionFileName(), name);
    QCOMPARE(main().currentItem(), 1);
}

void TestMainWindow::openingAnEmptyFileLeavesItAsItIs()
{
    const QString name = path(QStringLiteral("empty.dgr"));
    writeBytes(name, QByteArray());
    openByDialog(name);
    QCOMPARE(fileBytes(name), QByteArray());
    QCOMPARE(panel(0), name);
    QCOMPARE(panel(1), QStringLiteral("0 items"));
    QCOMPARE(main().itemCount(), 0);
    QCOMPARE(main().currentItem(), 0);
    // New is where the user asks to make it a collection.
    QVERIFY(main().SpeedButton10->isEnabled());
}

void TestMainWindow::openingAnInvalidFileLeavesNoCollectionOpen()
{
    openByDialog(sample());
    QVERIFY(main().itemCount() > 0);
    const QString bad = path(QStringLiteral("bad.dgr"));
    writeBytes(bad, JoinLines(numberedCollection(1).mid(0, 27)));
    openByDialog(bad);
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("message: Invalid file format!"));
    QCOMPARE(panel(0), QStringLiteral("OPEN COLLECTION !!!"));
    QCOMPARE(panel(1), QStringLiteral("0 items"));
    QVERIFY(!main().SpeedButton8->isEnabled());
    QVERIFY(!main().SpeedButton10->isEnabled());
    QVERIFY(!main().SpeedButton14->isEnabled());
    QCOMPARE(main().collectionFileName(), QString());
    QCOMPARE(main().currentItem(), 0);
    QCOMPARE(main().Edit1->text(), QString());
    QCOMPARE(main().board(), Board{});
    // Nothing to save into now.
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QCOMPARE(fileBytes(bad), JoinLines(numberedCollection(1).mid(0, 27)));
}

void TestMainWindow::showingAnItemFillsTheWindowInBrowse()
{
    openByDialog(sample());
    // Item 4 of the sample: fairy pieces, a condition and two twins.
    main().ShowItem(4, main().FindItemLine(4));
    QCOMPARE(main().Edit3->text(), QStringLiteral("4"));
    QCOMPARE(main().Edit1->text(), QStringLiteral("A. H. Kniest"));
    QCOMPARE(main().ComboBox4->currentText(), QStringLiteral("L`Italia Scacchistica"));
    QCOMPARE(main().ComboBox1->currentText(), QStringLiteral("H#3"));
    QCOMPARE(main().ComboBox2->currentText(), QStringLiteral("Circe"));
    QCOMPARE(main().Memo2->toPlainText(), QStringLiteral("Twin  Move e6 d6\nTwin  Move c4 b4"));
    QVERIFY(main().Label10->isEnabled());
    QCOMPARE(main().board().at(2, 4), 9617);
    QCOMPARE(main().Label3->text(), QStringLiteral("( 2 + 2 + 1 )"));
    QCOMPARE(panel(2), QStringLiteral("Browse"));
    QVERIFY(!main().isEditing());

    // The next item has no twins and no condition: both are emptied.
    main().ShowItem(8, main().FindItemLine(8));
    QCOMPARE(main().ComboBox2->currentText(), QString());
    QCOMPARE(main().Memo2->toPlainText(), QString());
    QVERIFY(main().Memo1->toPlainText().startsWith(u"Deliberately"));
    QVERIFY(!main().Label10->isEnabled());

    // A twin line with nothing in it still counts as twins.
    main().ShowItem(9, main().FindItemLine(9));
    QVERIFY(main().Label10->isEnabled());
    QCOMPARE(main().Memo2->toPlainText(), QStringLiteral("\nb) wQc7-->d7"));
    QCOMPARE(main().Edit1->text(), QString());
}

void TestMainWindow::everyFieldEditEntersEdit()
{
    openByDialog(sample());
    auto edits = QList<std::function<void()>>{
        [&] { QTest::keyClicks(main().Edit1, "x"); },
        [&] { QTest::keyClicks(main().ComboBox4->lineEdit(), "x"); },
        [&] { QTest::keyClicks(main().ComboBox1->lineEdit(), "x"); },
        [&] { QTest::keyClicks(main().ComboBox2->lineEdit(), "x"); },
        [&] {
            main().Memo2->setFocus();
            QTest::keyClicks(main().Memo2, "x");
        },
        [&] {
            main().Memo1->setFocus();
            QTest::keyClicks(main().Memo1, "x");
        },
        [&] {
            main().board().at(4, 4) = 5;
            main().EnterEditState();
        },
    };
    for (const auto& edit : edits) {
        main().ShowItem(1, 14);
        QCOMPARE(panel(2), QStringLiteral("Browse"));
        edit();
        QCOMPARE(panel(2), QStringLiteral("Edit"));
        QVERIFY(main().isEditing());
    }
    QCOMPARE(main().Label3->text(), QStringLiteral("( 3 + 1 )"));
    // Browse again after the item is shown anew; the edits are gone.
    main().ShowItem(1, 14);
    QVERIFY(!main().isEditing());
    QCOMPARE(main().board().at(4, 4), 0);
}

void TestMainWindow::confirmSaveChanges()
{
    const QString file = sample();
    openByDialog(file);
    const QByteArray original = fileBytes(file);
    QTest::keyClicks(main().Edit1, " Jr.");
    m_prompts->shown.clear();

    // Cancel: the open dialog never comes, the edit stays.
    m_prompts->answers.push_back(Prompts::Answer::Cancel);
    QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
    QCOMPARE(m_prompts->shown, QStringList{"question: Save all changes?"});
    QVERIFY(main().isEditing());
    QCOMPARE(main().Edit1->text(), QStringLiteral("W. A. Shinkman Jr."));

    // No: the dialog comes (and is cancelled); nothing was written, the window stays in Edit.
    m_prompts->answers.push_back(Prompts::Answer::No);
    QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("open: Open or create collection"));
    QVERIFY(main().isEditing());
    QCOMPARE(fileBytes(file), original);

    // Yes: saved first, then the dialog.
    m_prompts->answers.push_back(Prompts::Answer::Yes);
    QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
    QVERIFY(!main().isEditing());
    QVERIFY(fileBytes(file).contains("['W. A. Shinkman Jr.'],"));

    // In Browse nothing is asked.
    const qsizetype asked = m_prompts->shown.size();
    QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
    QCOMPARE(m_prompts->shown.size(), asked + 1);
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("open: Open or create collection"));
}

void TestMainWindow::saveRoundTrip()
{
    const QString file = sample();
    openByDialog(file);
    main().ShowItem(2, main().FindItemLine(2));
    main().Edit1->setText(QStringLiteral("T. R. O'Dawson"));
    main().ComboBox2->setEditText(QStringLiteral("Circe'Parrain"));
    main().ComboBox1->setEditText(QStringLiteral("  #3 "));
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QCOMPARE(m_prompts->shown, QStringList{"open: Open or create collection"});
    QCOMPARE(panel(2), QStringLiteral("Browse"));
    QCOMPARE(main().Edit1->text(), QStringLiteral("T. R. O`Dawson"));
    QCOMPARE(main().ComboBox1->currentText(), QStringLiteral("#3"));
    const Lines lines = ReadLinesFile(file);
    QCOMPARE(lines, main().collection().lines());
    QCOMPARE(lines[28 + 9], QByteArray("['T. R. O`Dawson'],"));
    QCOMPARE(lines[28 + 12], QByteArray("['#3 Circe'Parrain']);"));

    // Save in Browse writes the file all the same, over another program's change once the
    // user says so.
    writeBytes(file, "changed behind our back");
    m_prompts->answers.push_back(Prompts::Answer::No);
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QCOMPARE(ReadLinesFile(file), lines);
}

void TestMainWindow::saveStoresWrappedLinesAsLines()
{
    const QString file = path(QStringLiteral("wrap.dgr"));
    openByDialog(file);
    main().PageControl1->setCurrentIndex(2);
    const QString longLine =
        QStringLiteral("1.Qd1-h5! threatens 2.Qh5xf7# and after 1...g7-g6 the queen returns "
                       "with 2.Qh5-e5# while 1...Sg8-f6 allows 2.Qh5xf7#");
    main().Memo1->setPlainText(QStringLiteral("short\n") + longLine);
    const QStringList visible = VisibleLines(main().Memo1);
    QVERIFY2(visible.size() >= 3, qPrintable(visible.join('|')));
    QCOMPARE(visible.first(), QStringLiteral("short"));
    QCOMPARE(visible.mid(1).join(QString()), longLine);
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    const Lines lines = ReadLinesFile(file);
    QCOMPARE(lines[14 + 11], "['" + visible.join("\\n").toLatin1() + "'],");
    QCOMPARE(main().Memo1->toPlainText(), visible.join('\n'));
    // Once broken, the lines fit and a second Save keeps them.
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QCOMPARE(ReadLinesFile(file), lines);
}

void TestMainWindow::saveRefusesTextTheFileCannotHold()
{
    // Text a collection cannot hold is saved only in the Latin spelling the user agreed to.
    const QString file = sample();
    openByDialog(file);
    const QByteArray original = fileBytes(file);
    main().Edit1->setText(QString::fromUtf8("\xc5\x81\xc3\xb3"
                                            "d\xc5\xba"));
    m_prompts->answers.push_back(Prompts::Answer::No);
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QVERIFY(m_prompts->shown.last().startsWith(QStringLiteral("question: A collection file")));
    QVERIFY(m_prompts->shown.last().contains(QString::fromUtf8("author: '\xc5\x81\xc3\xb3"
                                                               "d\xc5\xba' "
                                                               "written as 'L\xc3\xb3"
                                                               "dz'")));
    QVERIFY(main().isEditing());
    QCOMPARE(fileBytes(file), original);
    QCOMPARE(main().collection().bytes(), original);
    m_prompts->answers.push_back(Prompts::Answer::Yes);
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QVERIFY(!main().isEditing());
    QCOMPARE(main().Edit1->text(), QString::fromUtf8("L\xc3\xb3"
                                                     "dz"));
    QCOMPARE(Collection::fromFile(file).readItem(main().FindItemLine(main().currentItem())).author,
             main().Edit1->text());
}

void TestMainWindow::failedSaveKeepsTheEditsAndTheFile()
{
    const QString folder = path(QStringLiteral("sub"));
    QVERIFY(QDir().mkdir(folder));
    const QString file = folder + QStringLiteral("/c.dgr");
    openByDialog(file);
    const Lines before = main().collection().lines();
    main().Edit1->setText(QStringLiteral("Someone"));
    // The file's place is taken by a folder: the write cannot succeed, even as root.
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkdir(file));
    m_prompts->answers.push_back(Prompts::Answer::No); // write over what stands there now
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("error: Cannot create file %1").arg(file));
    QVERIFY(main().isEditing());
    QCOMPARE(main().Edit1->text(), QStringLiteral("Someone"));
    QCOMPARE(main().collection().lines(), before);
}

void TestMainWindow::saveWithNoItemShownDoesNothing()
{
    const QString file = path(QStringLiteral("header.dgr"));
    writeBytes(file, JoinLines(numberedCollection(0)));
    openByDialog(file);
    QCOMPARE(main().itemCount(), 0);
    QCOMPARE(panel(1), QStringLiteral("0 items"));
    QCOMPARE(main().currentItem(), 0);
    QTest::keyClicks(main().Edit1, QStringLiteral("Nobody"));
    QVERIFY(!main().isEditing());
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    QCOMPARE(fileBytes(file), JoinLines(numberedCollection(0)));
}

void TestMainWindow::malformedItemLeavesTheWindowAsItWas()
{
    Lines lines = numberedCollection(3);
    lines[14 + 9] = "['First'],";
    lines[28 + 4] = "[0,0,0,Q,0,0,0,0],";
    lines[42 + 9] = "[";
    const QString file = path(QStringLiteral("broken.dgr"));
    writeBytes(file, JoinLines(lines));
    openByDialog(file);
    QCOMPARE(main().Edit1->text(), QStringLiteral("First"));
    for (int n : {2, 3}) {
        try {
            main().ShowItem(n, main().FindItemLine(n));
            QFAIL("a malformed item was shown");
        } catch (const Failure& failure) {
            QCOMPARE(failure.message, n == 2 ? QStringLiteral("'Q' is not a valid integer value")
                                             : QStringLiteral("Invalid file format!"));
        }
        QCOMPARE(main().currentItem(), 1);
        QCOMPARE(main().currentItemLine(), 14);
        QCOMPARE(main().Edit1->text(), QStringLiteral("First"));
        QCOMPARE(main().Edit3->text(), QStringLiteral("1"));
    }
    // Save writes item 1 back into its own lines (with the blank every stipulation line gets).
    QTest::mouseClick(main().SpeedButton8, Qt::LeftButton);
    lines[14 + 12] = "[' ']);";
    QCOMPARE(ReadLinesFile(file), lines);
}

void TestMainWindow::closingInEdit()
{
    const QString file = sample();
    openByDialog(file);
    const QByteArray original = fileBytes(file);
    QTest::keyClicks(main().Edit1, QStringLiteral("!"));
    m_prompts->answers.push_back(Prompts::Answer::Cancel);
    QVERIFY(!main().close());
    QVERIFY(main().isVisible());
    QVERIFY(main().isEditing());
    QCOMPARE(main().Edit1->text(), QStringLiteral("W. A. Shinkman!"));

    m_prompts->answers.push_back(Prompts::Answer::No);
    QVERIFY(main().close());
    QCOMPARE(fileBytes(file), original);
}

void TestMainWindow::pbmNamesGoToTheImport()
{
    const QString file = sample();
    openByDialog(file);
    QStringList asked;
    std::optional<QString> result;
    main().setFileImport([&](QWidget*, const QString& name) {
        asked << name;
        return result;
    });
    // A cancelled import keeps the open collection and its state.
    main().ShowItem(3, main().FindItemLine(3));
    openByDialog(path(QStringLiteral("old.PBM")));
    QCOMPARE(asked, QStringList{path("old.PBM")});
    QCOMPARE(main().collectionFileName(), file);
    QCOMPARE(main().currentItem(), 3);

    // A finished import hands over the collection it wrote.
    const QString converted = path(QStringLiteral("converted.dgr"));
    writeBytes(converted, JoinLines(numberedCollection(2)));
    result = converted;
    openByDialog(path(QStringLiteral("old.pbm")));
    QCOMPARE(main().collectionFileName(), converted);
    QCOMPARE(main().itemCount(), 2);
    QCOMPARE(main().currentItem(), 1);
}

void TestMainWindow::aFileArgumentOpensLikeTheDialog()
{
    const QString name = path(QStringLiteral("argument.dgr"));
    main().openNamedCollection(name);
    QCOMPARE(fileBytes(name), kNewCollection);
    QCOMPARE(panel(0), name);
    main().openNamedCollection(sample());
    QCOMPARE(main().itemCount(), 9);
    QCOMPARE(main().Edit1->text(), QStringLiteral("W. A. Shinkman"));
    QVERIFY(m_prompts->shown.isEmpty());
}

void TestMainWindow::openingAPbmFileConvertsIt()
{
    // One record: #2 with a white king on e1; every string offset points past the end.
    QByteArray pbm(2 + 96, '\0');
    pbm[2 + 2] = 0x00;
    pbm[2 + 3] = 0x02;
    for (int field = 4; field < 32; ++field)
        pbm[2 + field] = char(0x7F);
    for (int square = 0; square < 64; ++square)
        pbm[2 + 32 + square] = square == 60 ? '&' : 'A';
    const QString old = path(QStringLiteral("OLD.PBM"));
    writeBytes(old, pbm);

    const QString file = sample();
    openByDialog(file);
    main().ShowItem(5, main().FindItemLine(5));
    // Cancelling the save dialog keeps the open collection and its item.
    openByDialog(old);
    QCOMPARE(m_prompts->shown.last(), QStringLiteral("save: Save as Vexil-DGR file"));
    QCOMPARE(main().collectionFileName(), file);
    QCOMPARE(main().currentItem(), 5);

    const QString converted = path(QStringLiteral("converted.dgr"));
    m_prompts->fileNames.push_back(old);
    m_prompts->fileNames.push_back(converted);
    QTest::mouseClick(main().SpeedButton7, Qt::LeftButton);
    QCOMPARE(main().collectionFileName(), converted);
    QCOMPARE(main().itemCount(), 1);
    QCOMPARE(main().currentItem(), 1);
    QCOMPARE(main().board().at(7, 4), 11);
    QCOMPARE(main().ComboBox1->currentText(), QStringLiteral("#2"));
    QCOMPARE(ReadLinesFile(converted)[14 + 12], QByteArray("['#2']);"));

    // A pbm file that cannot be read is reported, and the collection stays open.
    openByDialog(path(QStringLiteral("missing.pbm")));
    QCOMPARE(m_prompts->shown.last(),
             QStringLiteral("error: Cannot open file %1").arg(path("missing.pbm")));
    QCOMPARE(main().collectionFileName(), converted);
}

namespace {

// The page of each stack (tab pages, stacked pages) that `widget` lies on.
QHash<const QStackedWidget*, const QWidget*> pagesOf(const QWidget* widget)
{
    QHash<const QStackedWidget*, const QWidget*> pages;
    for (const QWidget* w = widget; w && !w->isWindow(); w = w->parentWidget())
        if (const auto* stack = qobject_cast<const QStackedWidget*>(w->parentWidget()))
            pages.insert(stack, w);
    return pages;
}

// Two controls can be reached by their keys at the same time unless they lie on different
// pages of one stack.
bool shownTogether(const QWidget* a, const QWidget* b)
{
    const auto pagesA = pagesOf(a), pagesB = pagesOf(b);
    for (auto it = pagesA.cbegin(); it != pagesA.cend(); ++it)
        if (pagesB.contains(it.key()) && pagesB.value(it.key()) != it.value())
            return false;
    return true;
}

} // namespace

void TestMainWindow::accessKeysDoNotClashInAnyWindow()
{
    const QList<QWidget*> windows{&main(),
                                  &m_program->solve(),
                                  &m_program->list(),
                                  &m_program->fairy(),
                                  &m_program->clipboard(),
                                  &m_program->options(),
                                  &m_program->diagrams(),
                                  &m_program->verify()};
    int keys = 0;
    for (QWidget* window : windows) {
        // Every control whose caption carries an access key, with that key.
        QList<QPair<QKeySequence, const QWidget*>> owners;
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            if (control->window() != window)
                continue;
            QStringList captions;
            if (const auto* button = qobject_cast<const QAbstractButton*>(control))
                captions << button->text();
            else if (const auto* label = qobject_cast<const QLabel*>(control);
                     label && label->buddy())
                captions << label->text();
            else if (const auto* group = qobject_cast<const QGroupBox*>(control))
                captions << group->title();
            else if (const auto* tabs = qobject_cast<const QTabBar*>(control))
                for (int i = 0; i < tabs->count(); ++i)
                    captions << tabs->tabText(i);
            for (const QString& caption : captions)
                if (const QKeySequence key = QKeySequence::mnemonic(caption); !key.isEmpty())
                    owners.append({key, control});
        }
        keys += int(owners.size());
        for (qsizetype i = 0; i < owners.size(); ++i)
            for (qsizetype j = i + 1; j < owners.size(); ++j)
                QVERIFY2(owners[i].first != owners[j].first ||
                             !shownTogether(owners[i].second, owners[j].second),
                         qPrintable(QStringLiteral("%1: %2 is the key of %3 and %4")
                                        .arg(window->objectName(), owners[i].first.toString(),
                                             owners[i].second->objectName(),
                                             owners[j].second->objectName())));
    }
    QVERIFY(keys > 40); // the windows were looked at
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
