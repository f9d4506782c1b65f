// libFuzzer target: any bytes as a pbm file; the written collection must always open.
#include "model/collection.h"
#include "model/problem.h"

#include <cstdint>
#include <cstdlib>

using namespace vexil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Lines lines = ConvertPbm(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (ValidateCollection(SplitLines(JoinLines(lines))) != int(lines.size() / kItemLines) - 1)
        std::abort();
    return 0;
}
