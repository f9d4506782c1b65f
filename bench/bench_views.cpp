// Measures the views on a generated collection of N items (100,000 unless given) and prints
// each figure as a ratio to a baseline measured in the same run:
//   Find / Next with the only match in the last item, to `grep -c -i -F` of the same text
//   over the same file;
//   Copy selected items with every other entry selected, to one plain write of the file
//   that the copy writes.
//
//   bench_views [N]

#include "app/prompts.h"
#include "generate.h"
#include "model/opencollection.h"
#include "settings/settings.h"
#include "views/list.h"
#include "views/listd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelection>
#include <QLineEdit>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace vexil;

namespace {

class Answers : public Prompts {
public:
    QString target;
    void message(QWidget*, const QString& text) override
    {
        std::printf("message: %s\n", qPrintable(text));
    }
    void error(QWidget*, const QString& text) override
    {
        std::printf("error: %s\n", qPrintable(text));
    }
    QString appendFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return target;
    }
};

// The best of a few runs, in milliseconds.
template <class F> double best(int runs, F f)
{
    double fastest = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        fastest = qMin(fastest, timer.nsecsElapsed() / 1e6);
    }
    return fastest;
}

int grepCount(const QString& text, const QString& file, const QStringList& environment = {})
{
    QProcess grep;
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        grep.setProcessEnvironment(env);
    }
    grep.start(QStringLiteral("grep"), {"-c", "-i", "-F", text, file});
    if (!grep.waitForFinished(-1))
        qFatal("grep did not run");
    return grep.readAllStandardOutput().trimmed().toInt();
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.dgr"));

    // The only match is the last item's author, searched in lower case.
    const QString author = QStringLiteral("Quintus Zyzzyva-Quillfeather");
    const QString text = author.toLower();
    {
        Collection collection = bench::generateCollection(count, 42);
        const int last = collection.FindItemLine(count);
        Item item = collection.readItem(last);
        item.author = author;
        collection.writeItem(last, item);
        collection.write(file);
    }
    if (grepCount(text, file) != 1)
        qFatal("the search text is not unique in the file");

    OpenCollection collection;
    collection.open(file);
    auto prompts = std::make_unique<Answers>();
    TForm3 list(*prompts, collection);
    list.setShowItem([&](int number) {
        collection.showItem(number, collection.FindItemLine(number));
        return true;
    });
    list.show();
    QCoreApplication::processEvents();

    // Find / Next from item 1 to the last item: the first press after the window was opened
    // (or the collection changed) takes the collection's text; later presses reuse it.
    list.Edit1->setText(text);
    auto findLast = [&] {
        collection.showItem(1, collection.FindItemLine(1));
        list.BitBtn1Click();
        if (collection.currentItem() != count)
            qFatal("Find / Next did not find the last item");
    };
    const double findFirst = best(3, [&] {
        list.hide();
        list.show();
        findLast();
    });
    const double find = best(5, findLast);
    const double grep = best(5, [&] { grepCount(text, file); });
    const double grepC = best(5, [&] { grepCount(text, file, {"LC_ALL=C"}); });

    // The list starting over after a reload (the file read again, every entry anew), and the
    // list of diagrams coming up, on the whole collection.
    collection.showItem(count / 2, collection.FindItemLine(count / 2));
    const double refill = best(5, [&] { collection.reload(); });
    Settings settings;
    TForm7 diagrams(collection, settings);
    const double diagramsOpen = best(3, [&] {
        diagrams.show();
        QCoreApplication::processEvents();
        diagrams.hide();
    });

    // Copy selected items: every other entry, 50,000 of 100,000.
    QItemSelection selection;
    const QAbstractItemModel* model = list.ListBox1->model();
    for (int row = 0; row < count; row += 2)
        selection.select(model->index(row, 0), model->index(row, 0));
    list.ListBox1->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    const int selected = int(list.selectedNumbers().size());
    prompts->target = dir.filePath(QStringLiteral("copy.dgr"));
    double copy = 1e30;
    for (int run = 0; run < 3; ++run) {
        QFile::remove(prompts->target); // a new file each time, as the first copy makes it
        QElapsedTimer timer;
        timer.start();
        list.BitBtn3Click();
        copy = qMin(copy, timer.nsecsElapsed() / 1e6);
    }
    const double gather = best(3, [&] { list.selectedNumbers(); });
    QByteArray written;
    {
        QFile in(prompts->target);
        if (!in.open(QIODevice::ReadOnly))
            qFatal("the copy was not written");
        written = in.readAll();
    }
    const QString plainFile = dir.filePath(QStringLiteral("plain.dgr"));
    const double plainWrite = best(5, [&] {
        QFile out(plainFile);
        if (!out.open(QIODevice::WriteOnly) || out.write(written) != written.size())
            qFatal("cannot write %s", qPrintable(plainFile));
    });

    const double atomicWrite = best(3, [&] {
        QSaveFile out(plainFile);
        if (!out.open(QIODevice::WriteOnly) || out.write(written) != written.size() ||
            !out.commit())
            qFatal("cannot write %s", qPrintable(plainFile));
    });

    std::printf("%d items, file %.1f MB\n", count, QFile(file).size() / 1e6);
    std::printf("Find / Next, first press:      %8.2f ms\n", findFirst);
    std::printf("Find / Next, next presses:     %8.2f ms\n", find);
    std::printf("grep -c -i -F (%s):      %8.2f ms   ratio %.2f\n",
                qgetenv("LC_ALL").isEmpty() ? qPrintable(qEnvironmentVariable("LANG", "C"))
                                            : qgetenv("LC_ALL").constData(),
                grep, find / grep);
    std::printf("grep -c -i -F (LC_ALL=C):      %8.2f ms   ratio %.2f\n", grepC, find / grepC);
    std::printf("first press to grep (%s): ratio %.2f; to grep (LC_ALL=C): ratio %.2f\n",
                qPrintable(qEnvironmentVariable("LANG", "C")), findFirst / grep, findFirst / grepC);
    std::printf("Copy %d selected items:    %8.2f ms (file %.1f MB)\n", selected, copy,
                written.size() / 1e6);
    std::printf("  of which gathering the selected entries: %.2f ms\n", gather);
    std::printf("one plain write of that file:  %8.2f ms   ratio %.2f\n", plainWrite,
                copy / plainWrite);
    std::printf("the same bytes written atomically and synced, as every write is: %8.2f ms; "
                "copy to that: ratio %.2f\n",
                atomicWrite, copy / atomicWrite);
    std::printf("reload with the list following: %8.3f ms\n", refill);
    std::printf("list of diagrams shown:        %8.3f ms\n", diagramsOpen);
    return 0;
}
