// Whole-file writes replace only regular files the user may write, never what a link leads
// to; scratch files are made anew whatever had their name.
#include "model/atomicfile.h"
#include "model/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace vexil;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

enum class Writer { Atomic, Scratch };

// Sets up what stands at `name` in `dir`: "missing", "file", "read-only", "link to notes",
// "dangling link", "link to device", "pipe", "folder". The user's notes are "notes.txt".
void make(const QString& what, const QString& dir, const QString& name)
{
    const QString notes = dir + QStringLiteral("/notes.txt");
    put(notes, "my notes");
    if (what == QLatin1String("file") || what == QLatin1String("read-only")) {
        put(name, "old");
        QVERIFY(::chmod(QFile::encodeName(name).constData(),
                        what == QLatin1String("file") ? 0640 : 0444) == 0);
    } else if (what == QLatin1String("link to notes")) {
        QVERIFY(QFile::link(notes, name));
    } else if (what == QLatin1String("dangling link")) {
        QVERIFY(QFile::link(dir + QStringLiteral("/elsewhere.txt"), name));
    } else if (what == QLatin1String("link to device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), name));
    } else if (what == QLatin1String("pipe")) {
        QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0600) == 0);
    } else if (what == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(name));
    }
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void whatStandsAtTheName_data();
    void whatStandsAtTheName();
    void aFailedBodyLeavesTheOldFile();
};

void TestAtomicFile::whatStandsAtTheName_data()
{
    QTest::addColumn<int>("writer");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("written");
    const int atomic = int(Writer::Atomic), scratch = int(Writer::Scratch);
    QTest::newRow("atomic, missing") << atomic << "missing" << true;
    QTest::newRow("atomic, file") << atomic << "file" << true;
    // Whoever runs the program, root included.
    QTest::newRow("atomic, read-only file") << atomic << "read-only" << false;
    QTest::newRow("atomic, link to the user's notes") << atomic << "link to notes" << false;
    QTest::newRow("atomic, dangling link") << atomic << "dangling link" << false;
    QTest::newRow("atomic, link to a device") << atomic << "link to device" << false;
    QTest::newRow("atomic, pipe") << atomic << "pipe" << false;
    QTest::newRow("atomic, folder") << atomic << "folder" << false;
    QTest::newRow("scratch, missing") << scratch << "missing" << true;
    QTest::newRow("scratch, file") << scratch << "file" << true;
    // The link goes, what it led to stays.
    QTest::newRow("scratch, link to the user's notes") << scratch << "link to notes" << true;
    QTest::newRow("scratch, dangling link") << scratch << "dangling link" << true;
    QTest::newRow("scratch, pipe") << scratch << "pipe" << true;
    QTest::newRow("scratch, folder") << scratch << "folder" << false;
}

void TestAtomicFile::whatStandsAtTheName()
{
    QFETCH(int, writer);
    QFETCH(QString, what);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("target"));
    make(what, dir.path(), name);
    const QFileInfo before(name);
    const QString failure = [&] {
        try {
            if (Writer(writer) == Writer::Atomic)
                WriteFileAtomically(name, QByteArrayView("new bytes"));
            else
                CreateScratchFile(name, QByteArrayView("new bytes"));
        } catch (const Failure& f) {
            return f.message;
        }
        return QString();
    }();
    QCOMPARE(failure.isEmpty(), written);
    if (!written)
        QCOMPARE(failure, QStringLiteral("Cannot create file %1").arg(name));
    // Never through a link: the notes are as they were, nothing appeared where a link led.
    QCOMPARE(contents(dir.filePath(QStringLiteral("notes.txt"))), QByteArray("my notes"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("elsewhere.txt"))));
    const QFileInfo after(name);
    if (written) {
        QVERIFY(after.isFile() && !after.isSymLink());
        QCOMPARE(contents(name), QByteArray("new bytes"));
        if (what == QLatin1String("file") && Writer(writer) == Writer::Atomic)
            QCOMPARE(after.permissions(), before.permissions());
    } else {
        // What was there is there still, as it was.
        QCOMPARE(after.isSymLink(), before.isSymLink());
        QCOMPARE(after.isDir(), before.isDir());
        if (what == QLatin1String("read-only"))
            QCOMPARE(contents(name), QByteArray("old"));
    }
    // No temporary file is left beside it.
    const QStringList left =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    QVERIFY2(left.size() <= 2, qPrintable(left.join(u' ')));
}

void TestAtomicFile::aFailedBodyLeavesTheOldFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("c.dgr"));
    put(name, "old");
    QVERIFY_THROWS_EXCEPTION(Failure, WriteFileAtomically(name, [](QIODevice& file) {
                                 file.write("half");
                                 return false;
                             }));
    QCOMPARE(contents(name), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"c.dgr"});
}

QTEST_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
