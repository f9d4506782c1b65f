#include "settings/settings.h"
#include "settings/store.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexil;
using Value = SettingsStore::Value;

namespace {

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const char* name) { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void emptyStoreGivesTheDefaults();
    void everyValueRoundTrips();
    void theFileIsInTheRegistryExportStyle();
    void partialKeys_data();
    void partialKeys();
    void layout();
    void damagedFileIsKeptAndReported();
    void textsSurviveEscaping();
    void twoProgramsKeepEachOthersChanges();
    void aNameGivenAgainKeepsItsLastValue_data();
    void aNameGivenAgainKeepsItsLastValue();
};

void TestStore::emptyStoreGivesTheDefaults()
{
    FileSettingsStore store(path("none.reg"));
    QVERIFY(store.damage().isEmpty());
    const LoadedSettings loaded = LoadSettings(store);
    QCOMPARE(loaded.settings, Settings{});
    QCOMPARE(loaded.settings.White, 0x8000000Fu);
    QCOMPARE(loaded.settings.Black, 0x00808080u);
    QCOMPARE(loaded.settings.PopeyeMem, QStringLiteral("4M"));
    QCOMPARE(loaded.settings.SfHash, QStringLiteral("32"));
    QCOMPARE(loaded.settings.SfThreads, QStringLiteral("1"));
    QCOMPARE(loaded.settings.SfTime, QStringLiteral("10"));
    QVERIFY(!loaded.layout);
    QVERIFY(loaded.problem.isEmpty());
    QVERIFY(!QFile::exists(path("none.reg")));
}

void TestStore::everyValueRoundTrips()
{
    Settings s;
    s.White = 0x8000000F;
    s.Black = 0x00FFFFFF;
    s.DragDropOnlyCursor = true;
    s.PrintCust = true;
    s.CopyCust = false;
    s.ViewCust = true;
    s.LayoutCust = true;
    s.PopeyeExe = QStringLiteral("C:\\Popeye\\py \"new\".exe");
    s.PopeyeMem = QStringLiteral("3000M");
    s.SfExe = QStringLiteral("/usr/games/stockfish");
    s.SfHash = QString(); // an empty text reads back empty, not as the default
    s.SfThreads = QStringLiteral("\u00FCber");
    s.SfTime = QStringLiteral("240");
    const QString file = path("round.reg");
    {
        FileSettingsStore store(file);
        QVERIFY(SaveSettings(store, s));
        QVERIFY(SaveLayout(store, {{-5, 7}, {300, 400}, {1, 2}, {3000, 4000}}));
    }
    FileSettingsStore again(file);
    QVERIFY(again.damage().isEmpty());
    const LoadedSettings loaded = LoadSettings(again);
    QCOMPARE(loaded.settings, s);
    QVERIFY(loaded.problem.isEmpty());
    QVERIFY(loaded.layout);
    QCOMPARE(*loaded.layout, (WindowLayout{{-5, 7}, {300, 400}, {1, 2}, {3000, 4000}}));
    QCOMPARE(again.value(kColorsKey, "White")->integer, 0x8000000Fu);
    QCOMPARE(again.value(kGeneralKey, "SfHash")->kind, Value::Kind::Text);
    QCOMPARE(again.value(kGeneralKey, "PrintCust")->kind, Value::Kind::Integer);
}

void TestStore::theFileIsInTheRegistryExportStyle()
{
    const QString file = path("style.reg");
    FileSettingsStore store(file);
    Settings s;
    s.PopeyeExe = QStringLiteral("C:\\py.exe");
    QVERIFY(SaveSettings(store, s));
    const QByteArray text = readText(file);
    QVERIFY(text.startsWith("Windows Registry Editor Version 5.00\n"));
    QVERIFY(text.contains("[HKEY_CURRENT_USER\\Software\\Vexil\\Colors]\n"
                          "\"White\"=dword:8000000f\n\"Black\"=dword:00808080\n"));
    QVERIFY(text.contains("[HKEY_CURRENT_USER\\Software\\Vexil\\General]\n"
                          "\"DragDropOnlyCursor\"=dword:00000000\n"));
    QVERIFY(text.contains("\"PopeyeExe\"=\"C:\\\\py.exe\"\n"));
    // The order of writing: flags, then PopeyeExe, PopeyeMem, SfExe, SfTime, SfThreads, SfHash.
    QVERIFY(text.indexOf("\"SfTime\"") < text.indexOf("\"SfThreads\""));
    QVERIFY(text.indexOf("\"SfThreads\"") < text.indexOf("\"SfHash\""));
    QCOMPARE(text.count("=dword:"), 7);
    QCOMPARE(text.count("=\""), 6);
}

void TestStore::partialKeys_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("problem"); // what the message names; empty for none
    QTest::addColumn<bool>("colorsRead");
    QTest::addColumn<bool>("generalRead");

    const QByteArray colors =
        "[HKEY_CURRENT_USER\\Software\\Vexil\\Colors]\r\n\"White\"=dword:00ffffff\r\n"
        "\"Black\"=dword:00000000\r\n";
    const QByteArray flags =
        "[HKEY_CURRENT_USER\\Software\\Vexil\\General]\r\n"
        "\"DragDropOnlyCursor\"=dword:00000001\r\n\"PrintCust\"=dword:00000001\r\n"
        "\"CopyCust\"=dword:00000001\r\n\"ViewCust\"=dword:00000005\r\n";
    QTest::newRow("only the four flags") << kHeader + flags << "" << false << true;
    QTest::newRow("colours") << kHeader + colors << "" << true << false;
    QTest::newRow("a colour missing")
        << kHeader +
               "[HKEY_CURRENT_USER\\Software\\Vexil\\Colors]\r\n\"White\"=dword:00ffffff\r\n" +
               flags
        << "\"Black\"" << false << true;
    QTest::newRow("a colour as text")
        << kHeader + QByteArray(colors).replace("dword:00ffffff", "\"white\"") + flags
        << "\"White\"" << false << true;
    QTest::newRow("a flag missing")
        << kHeader + colors + QByteArray(flags).replace("\"CopyCust\"=dword:00000001\r\n", "")
        << "\"CopyCust\"" << true << false;
    QTest::newRow("a text as a number")
        << kHeader + colors + flags + "\"PopeyeMem\"=dword:00000004\r\n"
        << "\"PopeyeMem\"" << true << false;
    QTest::newRow("an expandable text is taken literally")
        << kHeader + colors + flags + "\"SfExe\"=hex(2):25,00,58,00,25,00,00,00\r\n"
        << "" << true << true;
    QTest::newRow("a zero-length text") << kHeader + colors + flags + "\"PopeyeMem\"=\"\"\r\n"
                                        << "" << true << true;
}

void TestStore::partialKeys()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, problem);
    QFETCH(bool, colorsRead);
    QFETCH(bool, generalRead);
    const QString file = path("partial.reg");
    writeText(file, text);
    FileSettingsStore store(file);
    QVERIFY2(store.damage().isEmpty(), qPrintable(store.damage()));
    const LoadedSettings loaded = LoadSettings(store);
    if (problem.isEmpty())
        QVERIFY2(loaded.problem.isEmpty(), qPrintable(loaded.problem));
    else
        QVERIFY2(loaded.problem.contains(problem), qPrintable(loaded.problem));
    const Settings& s = loaded.settings;
    QCOMPARE(s.White, colorsRead ? 0x00FFFFFFu : 0x8000000Fu);
    QCOMPARE(s.Black, colorsRead ? 0u : 0x00808080u);
    QCOMPARE(s.DragDropOnlyCursor, generalRead);
    QCOMPARE(s.ViewCust, generalRead); // any non-zero number is true
    QVERIFY(!s.LayoutCust);
    if (QTest::currentDataTag() == QLatin1String("a zero-length text"))
        QCOMPARE(s.PopeyeMem, QString());
    else
        QCOMPARE(s.PopeyeMem, QStringLiteral("4M"));
    if (QTest::currentDataTag() == QLatin1String("an expandable text is taken literally"))
        QCOMPARE(s.SfExe, QStringLiteral("%X%"));
    // Nothing is written while loading.
    QCOMPARE(readText(file), text);
}

void TestStore::layout()
{
    const QString file = path("layout.reg");
    QByteArray general = kHeader + "[HKEY_CURRENT_USER\\Software\\Vexil\\General]\r\n"
                                   "\"DragDropOnlyCursor\"=dword:0\r\n";
    {
        FileSettingsStore store(file);
        Settings s;
        s.LayoutCust = true;
        QVERIFY(SaveSettings(store, s));
    }
    // Asked for, but no layout key: nothing moves.
    QVERIFY(!LoadSettings(FileSettingsStore(file)).layout);
    QVERIFY(LoadSettings(FileSettingsStore(file)).settings.LayoutCust);
    {
        FileSettingsStore store(file);
        QVERIFY(SaveLayout(store, {{10, 20}, {30, 40}, {50, 60}, {70, 80}}));
    }
    QCOMPARE(LoadSettings(FileSettingsStore(file)).layout->list, QPoint(30, 40));
    // A layout value missing: the layout is not applied, and that is said.
    QByteArray text = readText(file);
    writeText(file, text.replace("\"ClipbT\"=dword:00000050\n", ""));
    const LoadedSettings loaded = LoadSettings(FileSettingsStore(file));
    QVERIFY(!loaded.layout);
    QVERIFY(loaded.problem.contains("\"ClipbT\""));
    QCOMPARE(FairyDialogPlace({100, 50}), QPoint(351, 78));
    Q_UNUSED(general);
}

void TestStore::damagedFileIsKeptAndReported()
{
    const QString file = path("damaged.reg");
    const QByteArray text = kHeader + "[HKEY_CURRENT_USER\\Software\\Vexil\\Colors]\r\n"
                                      "\"White\"=dword:zz\r\n";
    writeText(file, text);
    FileSettingsStore store(file);
    QVERIFY(store.damage().contains(QStringLiteral("line 4")));
    QCOMPARE(LoadSettings(store).settings, Settings{});
    QCOMPARE(readText(file), text);
    // The first write keeps what could not be read beside the new file.
    QVERIFY(SaveSettings(store, Settings{}));
    QCOMPARE(readText(file + ".damaged"), text);
    QVERIFY(FileSettingsStore(file).damage().isEmpty());

    for (const QByteArray& bad :
         {QByteArray("not a store\n"), kHeader + "\"White\"=dword:00000000\n",
          kHeader + "[HKEY_LOCAL_MACHINE\\Software]\n",
          kHeader + "[HKEY_CURRENT_USER\\Software\\Vexil\\Colors\n",
          kHeader + "[HKEY_CURRENT_USER\\X]\n\"a\"=\"unterminated\n"}) {
        writeText(file, bad);
        QVERIFY2(!FileSettingsStore(file).damage().isEmpty(), bad.constData());
    }
}

void TestStore::textsSurviveEscaping()
{
    const QString tricky = QStringLiteral("a\\b\"c\nd\re \u20AC \\\\\"");
    QList<QPair<QString, SettingsStore::Values>> keys = {
        {kGeneralKey,
         {{QStringLiteral("Name \"quoted\""), Value::ofText(tricky)},
          {QStringLiteral("N"), Value::ofInteger(0xFFFFFFFF)}}}};
    QList<QPair<QString, SettingsStore::Values>> back;
    QString error;
    QVERIFY(FileSettingsStore::parse(FileSettingsStore::format(keys), back, error));
    QCOMPARE(back, keys);
}

void TestStore::twoProgramsKeepEachOthersChanges()
{
    const QString file = path("shared.reg");
    writeText(file, kHeader + "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Kept\"=\"yes\"\r\n");
    // Both read the file before either writes, as two running programs do.
    FileSettingsStore first(file);
    FileSettingsStore second(file);
    Settings s;
    s.LayoutCust = true;
    s.PopeyeExe = QStringLiteral("first");
    s.SfExe = QStringLiteral("first");
    QVERIFY(SaveSettings(first, s));
    QVERIFY(SaveLayout(second, {{1, 2}, {3, 4}, {5, 6}, {7, 8}}));
    QVERIFY(second.write(kGeneralKey, {{QStringLiteral("SfExe"), Value::ofText("second")}}));
    // The first writes again, knowing nothing of the second's changes.
    QVERIFY(first.write(kColorsKey, {{QStringLiteral("Black"), Value::ofInteger(0x123456)}}));

    FileSettingsStore now(file);
    const LoadedSettings loaded = LoadSettings(now);
    QVERIFY2(loaded.problem.isEmpty(), qPrintable(loaded.problem));
    QCOMPARE(loaded.settings.PopeyeExe, QStringLiteral("first"));
    QCOMPARE(loaded.settings.SfExe, QStringLiteral("second"));
    QCOMPARE(loaded.settings.Black, 0x123456u);
    QVERIFY(loaded.layout);
    QCOMPARE(loaded.layout->list, QPoint(3, 4));
    QCOMPARE(now.value(QStringLiteral("Software\\Other"), "Kept"), Value::ofText("yes"));
    // A store sees what it wrote merged with what it found.
    QCOMPARE(first.value(kGeneralKey, "SfExe"), Value::ofText("second"));

    // Spoilt after the first read: kept aside, and the write goes on from what was read.
    const QByteArray spoilt = "not a store\n";
    writeText(file, spoilt);
    QFile::remove(file + ".damaged");
    QVERIFY(first.write(kGeneralKey, {{QStringLiteral("PopeyeMem"), Value::ofText("8M")}}));
    QCOMPARE(readText(file + ".damaged"), spoilt);
    const LoadedSettings after = LoadSettings(FileSettingsStore(file));
    QCOMPARE(after.settings.PopeyeMem, QStringLiteral("8M"));
    QCOMPARE(after.settings.SfExe, QStringLiteral("second"));
}

void TestStore::aNameGivenAgainKeepsItsLastValue_data()
{
    QTest::addColumn<QString>("values"); // of one key
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<uint>>("read");
    QTest::addColumn<int>("repeat");
    const QString a = "\"a\"=dword:00000001\n", b = "\"b\"=dword:00000002\n";
    QTest::newRow("twice") << a + b + "\"a\"=dword:00000003\n"
                           << QStringList{"b", "a"} << QList<uint>{2, 3} << 1;
    QTest::newRow("other case") << a + "\"A\"=dword:00000004\n" + b << QStringList{"A", "b"}
                                << QList<uint>{4, 2} << 1;
    QTest::newRow("three times") << a + a + b + a << QStringList{"b", "a"} << QList<uint>{2, 1}
                                 << 1;
    // Reading once took time by the square of the values: this many took most of an hour.
    QTest::newRow("many") << a + b << QStringList{"a", "b"} << QList<uint>{1, 2} << 300000;
}

void TestStore::aNameGivenAgainKeepsItsLastValue()
{
    QFETCH(QString, values);
    QFETCH(QStringList, names);
    QFETCH(QList<uint>, read);
    QFETCH(int, repeat);
    QString text = kHeader + "[HKEY_CURRENT_USER\\Software\\X]\n";
    for (int i = 1; i < repeat; ++i)
        text += QStringLiteral("\"v%1\"=dword:00000000\n").arg(i);
    text += values.repeated(repeat > 1 ? 2 : 1) + "[HKEY_CURRENT_USER\\Software\\Y]\n" + values;
    QList<QPair<QString, SettingsStore::Values>> keys;
    QString error;
    QVERIFY2(FileSettingsStore::parse(text, keys, error), qPrintable(error));
    QCOMPARE(keys.size(), 2);
    for (const auto& [key, values] : keys) {
        const auto tail = values.mid(values.size() - names.size());
        QCOMPARE(values.size(), names.size() + (key == "Software\\X" ? repeat - 1 : 0));
        for (qsizetype i = 0; i < names.size(); ++i) {
            QCOMPARE(tail[i].first, names[i]);
            QCOMPARE(tail[i].second.integer, read[i]);
        }
    }
}

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
