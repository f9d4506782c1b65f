// Writes the seed corpus of every fuzz target from the project's own test data:
//   fuzz_seeds SOURCE_DIR CORPUS_DIR [FOLDER OF RECORDED RUNS]...
// Collections and their items as collections, .olv and Popeye files written from them, pbm
// files laid out from them, and the recorded Popeye inputs and outputs.
#include "interchange/olive.h"
#include "interchange/popeyefile.h"
#include "model/collection.h"
#include "model/failure.h"
#include "model/problem.h"
#include "solve/popeyetext.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdio>

using namespace vexil;

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QByteArray get(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pbm byte of a board code: the inverse of PbmBoardCode.
char pbmByte(PieceCode code)
{
    for (int b = 33; b <= 47; ++b)
        if (PbmBoardCode(uchar(b)) == code && code != 0)
            return char(b);
    return 'A';
}

void putNumber(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
}

// A pbm file of the items: orthodox pieces, author, source and solution.
QByteArray pbmOf(const QList<Item>& items)
{
    QByteArray records, strings;
    const qsizetype stringsAt = 2 + 96 * items.size();
    auto place = [&](const QString& text) {
        const QByteArray bytes = text.toLatin1().left(2000);
        const quint32 offset = quint32(stringsAt + strings.size());
        putNumber(strings, quint32(bytes.size()), 2);
        strings += bytes + '\0';
        return offset;
    };
    for (const Item& item : items) {
        putNumber(records, 0, 2);
        putNumber(records, 0x0200, 2);
        const QString solution = item.solution.join(QStringLiteral("\r\n"));
        for (const QString* text :
             {&item.author, &item.source, &item.source, &item.author, &solution})
            putNumber(records, place(*text), 4);
        putNumber(records, place(QStringLiteral(" A$, &   ")), 4);
        putNumber(records, place(QString()), 4);
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c)
                records += pbmByte(item.board.at(r, c) < 13 ? item.board.at(r, c) : 0);
    }
    QByteArray file;
    putNumber(file, quint32(items.size() - 1), 2);
    return file + records + strings;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_seeds SOURCE_DIR CORPUS_DIR [RUNS]...\n");
        return 2;
    }
    const QDir source(QString::fromLocal8Bit(argv[1]));
    const QDir corpus(QString::fromLocal8Bit(argv[2]));
    for (const char* target : {"collection", "pbm", "olive", "popeye", "popeyeoutput"})
        corpus.mkpath(QLatin1String(target));
    auto at = [&](const char* target, const QString& name) {
        return corpus.filePath(QLatin1String(target) + QLatin1Char('/') + name);
    };

    QList<Item> items;
    for (const QString& name : {QStringLiteral("examples/sample.dgr")}) {
        const QByteArray bytes = get(source.filePath(name));
        put(at("collection", QStringLiteral("sample.dgr")), bytes);
        try {
            const Collection collection = Collection::fromBytes(bytes);
            for (int n = 1; n <= collection.itemCount(); ++n)
                items << collection.readItem(collection.FindItemLine(n));
        } catch (const Failure& f) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(f.message));
        }
    }
    const auto popeyeText = [](const Item& item) {
        return BuildPopeyeInput(item, PopeyeOptions(), QStringLiteral("/tmp/")).lines;
    };
    // Each item alone, and the whole collection, in every format.
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString name = QStringLiteral("item%1").arg(i + 1);
        Lines lines;
        EmptyItem(lines, 0);
        EmptyItem(lines, 1);
        WriteItem(lines, kItemLines, StorableItem(items[i]));
        put(at("collection", name + QStringLiteral(".dgr")), JoinLines(lines));
        put(at("olive", name + QStringLiteral(".olv")), WriteOlive({items[i]}).bytes);
        put(at("popeye", name + QStringLiteral(".inp")),
            WritePopeyeFile({items[i]}, popeyeText).bytes);
        put(at("pbm", name + QStringLiteral(".pbm")), pbmOf({items[i]}));
    }
    if (!items.isEmpty()) {
        put(at("olive", QStringLiteral("sample.olv")), WriteOlive(items).bytes);
        put(at("popeye", QStringLiteral("sample.inp")), WritePopeyeFile(items, popeyeText).bytes);
        put(at("pbm", QStringLiteral("sample.pbm")), pbmOf(items));
    }
    // Recorded Popeye inputs, and what Popeye printed for them: output, a zero byte, errors.
    for (const QString& folder : {QStringLiteral("tests/interchange/popeye")}) {
        QDirIterator it(source.filePath(folder), {QStringLiteral("*.inp")}, QDir::Files);
        while (it.hasNext()) {
            it.next();
            put(at("popeye", it.fileName()), get(it.filePath()));
        }
    }
    QStringList runFolders{source.filePath(QStringLiteral("tests/verify/data"))};
    for (int a = 3; a < argc; ++a)
        runFolders << QString::fromLocal8Bit(argv[a]);
    for (const QString& folder : runFolders) {
        QDirIterator runs(folder, QDir::Dirs | QDir::NoDotAndDotDot);
        while (runs.hasNext()) {
            runs.next();
            const QDir run(runs.filePath());
            put(at("popeye", runs.fileName() + QStringLiteral(".in")),
                get(run.filePath(QStringLiteral("input.in"))));
            put(at("popeyeoutput", runs.fileName()),
                get(run.filePath(QStringLiteral("stdout.txt"))) + '\0' +
                    get(run.filePath(QStringLiteral("stderr.txt"))));
        }
    }
    return 0;
}
