// Measures the import and the export of 10,000 Olive entries against yaml-cpp alone loading
// and emitting the same bytes (no mapping), measured in the same run, and prints the ratios.

#include "generate.h"
#include "interchange/convert.h"
#include "interchange/olive.h"

#include <QElapsedTimer>

#include <yaml-cpp/yaml.h>

#include <cstdio>
#include <functional>

using namespace vexil;

namespace {

double best(const std::function<void()>& run)
{
    QElapsedTimer timer;
    double fastest = 1e30;
    for (int i = 0; i < 3; ++i) {
        timer.start();
        run();
        fastest = qMin(fastest, timer.nsecsElapsed() / 1e6);
    }
    return fastest;
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const Collection collection = bench::generateCollection(count, 15);
    QList<Item> items;
    items.reserve(count);
    for (int n = 1; n <= count; ++n)
        items << collection.readItem(n * kItemLines);

    QByteArray olv;
    const double exportTime = best([&] { olv = WriteOlive(items).bytes; });
    ConvertedFile converted;
    const double importTime = best([&] { converted = ConvertOlive(olv); });
    if (converted.lines.size() != (count + 1) * kItemLines)
        qFatal("the import lost entries");

    const std::string text = olv.toStdString();
    std::vector<YAML::Node> nodes;
    const double loadTime = best([&] { nodes = YAML::LoadAll(text); });
    std::string emitted;
    const double emitTime = best([&] {
        YAML::Emitter out;
        for (const YAML::Node& node : nodes)
            out << YAML::BeginDoc << node;
        emitted = out.c_str();
    });

    std::printf("%d entries, %.1f MB of .olv (yaml-cpp emits %.1f MB)\n", count, olv.size() / 1e6,
                emitted.size() / 1e6);
    std::printf("yaml-cpp alone: load %.1f ms, emit %.1f ms\n", loadTime, emitTime);
    std::printf("import (read, map, collection lines): %.1f ms = %.2f x load\n", importTime,
                importTime / loadTime);
    std::printf("export (items to .olv): %.1f ms = %.2f x emit\n", exportTime,
                exportTime / emitTime);
    std::printf("import + export: %.2f x load + emit (target: at most 3)\n",
                (importTime + exportTime) / (loadTime + emitTime));
    return 0;
}
