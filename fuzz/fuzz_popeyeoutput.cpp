// libFuzzer target: any bytes as what Popeye printed, its output and its error stream split at
// the first zero byte; the report is read and judged against a stored solution without fault.
#include "verify/popeyeoutput.h"

#include <cstdint>
#include <cstdlib>

using namespace vexil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype zero = bytes.indexOf('\0');
    const QString out = QString::fromUtf8(zero < 0 ? bytes : bytes.first(zero));
    const QString err = zero < 0 ? QString() : QString::fromUtf8(bytes.sliced(zero + 1));
    const PopeyeReport report = ParsePopeyeOutput(out, err);
    if (report.twins.isEmpty())
        std::abort();
    if (report.solutionText.size() > out.size() + err.size())
        std::abort();
    report.solutionCount();
    report.firstMoves();
    const QStringList stored = out.split(QLatin1Char('\n')).mid(0, 40);
    for (const bool killed : {false, true})
        JudgeReport(report, stored, killed, !killed);
    return 0;
}
