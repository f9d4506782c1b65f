// libFuzzer target: any bytes as a pbm file; it is refused with a message, or the written
// collection always opens and stays within the bound the import promises.
#include "model/collection.h"
#include "model/failure.h"
#include "model/problem.h"

#include <cstdint>
#include <cstdlib>

using namespace vexil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Lines lines;
    try {
        lines = ConvertPbm(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const Failure&) {
        return 0;
    }
    const QByteArray bytes = JoinLines(lines);
    if (ValidateCollection(SplitLines(bytes)) != int(lines.size() / kItemLines) - 1)
        std::abort();
    if (bytes.size() > PbmOutputLimit(qint64(size)) + 2 * 1024 * 1024)
        std::abort();
    return 0;
}
