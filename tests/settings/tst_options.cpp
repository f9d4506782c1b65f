#include "app/boardview.h"
#include "app/fairy.h"
#include "app/idgr.h"
#include "app/program.h"
#include "app/scriptedprompts.h"
#include "output/copyd.h"
#include "settings/option.h"
#include "settings/store.h"
#include "solve/popeye.h"
#include "views/list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace vexil;
using test::ScriptedPrompts;

class TestOptions : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    ScriptedPrompts* m_prompts = nullptr;
    QString m_store;

    void start()
    {
        m_program.reset();
        m_program = test::startProgram(m_dir->path(), m_prompts, m_store);
    }
    TForm6& options() { return m_program->options(); }
    QByteArray storeText()
    {
        QFile file(m_store);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    Settings stored() { return LoadSettings(FileSettingsStore(m_store)).settings; }
    // Opens the options window from the toolbar, runs `inside` while it is up, then closes it
    // with `closer`.
    void runOptions(const std::function<void()>& inside, QPushButton* TForm6::*closer)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QVERIFY(options().isVisible());
            inside();
            QTest::mouseClick(options().*closer, Qt::LeftButton);
            ran = true;
        });
        QTest::mouseClick(m_program->main().SpeedButton13, Qt::LeftButton);
        QVERIFY(ran);
        QVERIFY(!options().isVisible());
    }
    QColor squareColour(int row, int column)
    {
        BoardView* board = m_program->main().DrawGrid1;
        const QImage image = board->grab().toImage();
        const QPoint inside =
            board->contentsRect().topLeft() + QPoint(column * 27 + 2, row * 27 + 2);
        return image.pixelColor(inside * image.devicePixelRatio());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = m_dir->filePath(QStringLiteral("config/Vexil/settings.reg"));
        start();
    }
    void cleanup() { m_program.reset(); }

    void theControlsShowTheSettings();
    void woodThenCancelKeepsTheStoredColours();
    void woodThenOkStoresAndRepaints();
    void defaultPresetsStoreTheSystemColour();
    void typedTextsAreStoredAsTyped();
    void okWithoutAChangeWritesAllValues();
    void saveLayoutThenCancelWritesOnlyTheLayout();
    void theLayoutIsAppliedAtStart();
    void aStoreProblemIsReportedOnceAtStart();
    void colourAndProgramDialogs();
};

void TestOptions::theControlsShowTheSettings()
{
    QCOMPARE(options().windowTitle(), QStringLiteral("Options"));
    options().show();
    QCOMPARE(options().ComboBox1->currentText(), QStringLiteral("4M"));
    QCOMPARE(options().ComboBox5->currentText(), QStringLiteral("10"));
    QCOMPARE(options().ComboBox4->currentText(), QStringLiteral("1"));
    QCOMPARE(options().ComboBox3->currentText(), QStringLiteral("32"));
    QCOMPARE(options().ComboBox1->count(), 11);
    QCOMPARE(options().ComboBox4->count(), 16);
    QCOMPARE(options().ComboBox5->itemText(10), QStringLiteral("240"));
    QCOMPARE(options().ComboBox3->itemText(8), QStringLiteral("2048"));
    QCOMPARE(options().Panel2->color(), 0x8000000Fu);
    QCOMPARE(options().Panel3->color(), 0x00808080u);
    QCOMPARE(options().CheckBox5->text(), QStringLiteral("&Load customized layout of windows"));
    QCOMPARE(options().PageControl2->tabPosition(), QTabWidget::South);
    QVERIFY(options().Button1->isDefault());
    QCOMPARE(m_program->solve().PopeyeMemory->currentText(), QStringLiteral("4M"));
    options().hide();
    QVERIFY(!QFile::exists(m_store));
}

void TestOptions::woodThenCancelKeepsTheStoredColours()
{
    runOptions(
        [&] {
            QTest::mouseClick(options().Button6, Qt::LeftButton);
            QCOMPARE(options().Panel2->color(), 0x00A9DFE0u);
        },
        &TForm6::Button2);
    QVERIFY(!QFile::exists(m_store));
    runOptions(
        [&] {
            QCOMPARE(options().Panel2->color(), 0x8000000Fu);
            QCOMPARE(options().Panel3->color(), 0x00808080u);
        },
        &TForm6::Button2);
    QCOMPARE(options().settings().White, 0x8000000Fu);
}

void TestOptions::woodThenOkStoresAndRepaints()
{
    m_program->main().openNamedCollection(m_dir->filePath(QStringLiteral("c.dgr")));
    QCOMPARE(squareColour(0, 1), QColor(128, 128, 128));
    runOptions([&] { QTest::mouseClick(options().Button6, Qt::LeftButton); }, &TForm6::Button1);
    QCOMPARE(stored().White, 0x00A9DFE0u);
    QCOMPARE(stored().Black, 0x007AABC5u);
    QCOMPARE(squareColour(0, 0), QColor(224, 223, 169));
    QCOMPARE(squareColour(0, 1), QColor(197, 171, 122));
    // The next run starts with them.
    start();
    QCOMPARE(m_program->options().settings().White, 0x00A9DFE0u);
    QCOMPARE(squareColour(7, 7), QColor(224, 223, 169));
}

void TestOptions::defaultPresetsStoreTheSystemColour()
{
    runOptions([&] { QTest::mouseClick(options().Button7, Qt::LeftButton); }, &TForm6::Button1);
    QCOMPARE(stored().White, 0x00FFFFFFu);
    QCOMPARE(stored().Black, 0x8000000Fu);
    runOptions([&] { QTest::mouseClick(options().Button5, Qt::LeftButton); }, &TForm6::Button1);
    QCOMPARE(stored().White, 0x8000000Fu);
    QCOMPARE(stored().Black, 0x00808080u);
    runOptions([&] { QTest::mouseClick(options().Button9, Qt::LeftButton); }, &TForm6::Button1);
    QCOMPARE(stored().White, 0x00EEEEEEu);
    QCOMPARE(stored().Black, 0x00B7B7B7u);
    // A system colour is painted in the colour of the moment.
    runOptions([&] { QTest::mouseClick(options().Button5, Qt::LeftButton); }, &TForm6::Button1);
    QCOMPARE(squareColour(0, 0), QGuiApplication::palette().color(QPalette::Button));
}

void TestOptions::typedTextsAreStoredAsTyped()
{
    runOptions(
        [&] {
            options().ComboBox1->lineEdit()->clear();
            QTest::keyClicks(options().ComboBox1->lineEdit(), QStringLiteral("3000M"));
            options().ComboBox4->setEditText(QStringLiteral("64"));
            options().ComboBox3->setEditText(QString());
            options().Edit1->setText(QStringLiteral("/opt/popeye/py"));
            options().CheckBox1->setChecked(true);
        },
        &TForm6::Button1);
    QCOMPARE(stored().PopeyeMem, QStringLiteral("3000M"));
    QCOMPARE(stored().SfThreads, QStringLiteral("64"));
    QCOMPARE(stored().SfHash, QString());
    QCOMPARE(stored().PopeyeExe, QStringLiteral("/opt/popeye/py"));
    QVERIFY(stored().DragDropOnlyCursor);
    QCOMPARE(m_program->solve().PopeyeMemory->currentText(), QStringLiteral("3000M"));
    QCOMPARE(m_program->solve().Threads->currentText(), QStringLiteral("64"));
    QCOMPARE(m_program->solve().HashMemory->currentText(), QString());
    start();
    QCOMPARE(m_program->solve().PopeyeMemory->currentText(), QStringLiteral("3000M"));
    QCOMPARE(m_program->solve().HashMemory->currentText(), QString());
}

void TestOptions::okWithoutAChangeWritesAllValues()
{
    runOptions([] {}, &TForm6::Button1);
    FileSettingsStore store(m_store);
    for (const char* name : {"White", "Black"})
        QVERIFY2(store.value(kColorsKey, QLatin1String(name)), name);
    for (const char* name :
         {"DragDropOnlyCursor", "PrintCust", "CopyCust", "ViewCust", "LayoutCust", "PopeyeExe",
          "PopeyeMem", "SfExe", "SfTime", "SfThreads", "SfHash"})
        QVERIFY2(store.value(kGeneralKey, QLatin1String(name)), name);
    QCOMPARE(storeText().count("=dword:") + storeText().count("=\""), 13);
    QVERIFY(!store.keyExists(kLayoutKey));
}

void TestOptions::saveLayoutThenCancelWritesOnlyTheLayout()
{
    m_program->main().move(40, 30);
    m_program->list().move(500, 60);
    runOptions(
        [&] {
            options().CheckBox5->setChecked(true);
            QTest::mouseClick(options().Button8, Qt::LeftButton);
        },
        &TForm6::Button2);
    FileSettingsStore store(m_store);
    QVERIFY(store.keyExists(kLayoutKey));
    QVERIFY(!store.keyExists(kGeneralKey));
    QVERIFY(!store.keyExists(kColorsKey));
    QCOMPARE(storeText().count("=dword:"), 8);
    QCOMPARE(store.value(kLayoutKey, "VexilL")->integer, quint32(m_program->main().pos().x()));
    QCOMPARE(store.value(kLayoutKey, "ListT")->integer, quint32(m_program->list().pos().y()));
    QCOMPARE(m_program->fairy().pos(), m_program->main().pos() + QPoint(251, 28));
    QVERIFY(!options().settings().LayoutCust);
}

void TestOptions::theLayoutIsAppliedAtStart()
{
    {
        FileSettingsStore store(m_store);
        Settings s;
        s.LayoutCust = true;
        QVERIFY(SaveSettings(store, s));
        QVERIFY(SaveLayout(store, {{120, 90}, {600, 10}, {20, 300}, {700, 400}}));
    }
    start();
    QCOMPARE(m_program->main().pos(), QPoint(120, 90));
    QCOMPARE(m_program->list().pos(), QPoint(600, 10));
    QCOMPARE(m_program->solve().pos(), QPoint(20, 300));
    QCOMPARE(m_program->clipboard().pos(), QPoint(700, 400));
    QCOMPARE(m_program->fairy().pos(), QPoint(371, 118));
    QVERIFY(m_prompts->shown.isEmpty());
}

void TestOptions::aStoreProblemIsReportedOnceAtStart()
{
    QDir().mkpath(QFileInfo(m_store).absolutePath());
    QFile file(m_store);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Vexil\\Colors]\n"
        "\"White\"=dword:00ffffff\n");
    file.close();
    start();
    QCOMPARE(m_prompts->shown.size(), 1);
    QVERIFY(m_prompts->shown[0].contains(QStringLiteral("\"Black\"")));
    QCOMPARE(m_program->options().settings().White, 0x8000000Fu);

    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("garbage\n");
    file.close();
    start();
    QCOMPARE(m_prompts->shown.size(), 1);
    QVERIFY(m_prompts->shown[0].contains(QStringLiteral("cannot be read")));
}

void TestOptions::colourAndProgramDialogs()
{
    m_prompts->colors.push_back(QColor(10, 20, 30));
    m_prompts->colors.push_back(std::nullopt);
    m_prompts->fileNames.push_back(QStringLiteral("/usr/games/stockfish"));
    runOptions(
        [&] {
            QTest::mouseClick(options().Button4, Qt::LeftButton); // black square: chosen
            QTest::mouseClick(options().Button3, Qt::LeftButton); // white square: cancelled
            QTest::mouseClick(options().Button11, Qt::LeftButton);
            QTest::mouseClick(options().Button10, Qt::LeftButton); // cancelled
        },
        &TForm6::Button1);
    QCOMPARE(m_prompts->shown[0], QStringLiteral("colour: #808080"));
    QCOMPARE(m_prompts->shown[2], QStringLiteral("open: Find SOLVE-exe file"));
    QCOMPARE(stored().Black, 0x001E140Au);
    QCOMPARE(stored().White, 0x8000000Fu);
    QCOMPARE(stored().SfExe, QStringLiteral("/usr/games/stockfish"));
    QCOMPARE(stored().PopeyeExe, QString());
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
