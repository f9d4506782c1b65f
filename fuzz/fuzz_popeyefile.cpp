// libFuzzer target: any bytes as a Popeye input file, and as a pasted position line; a file is
// refused with a message or read, and the collection made of it always opens.
#include "interchange/convert.h"
#include "interchange/position.h"
#include "model/failure.h"

#include <cstdint>
#include <cstdlib>

using namespace vexil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const ConvertedFile file = ConvertPopeyeFile(bytes);
        if (ValidateCollection(SplitLines(JoinLines(file.lines))) !=
            int(file.lines.size() / kItemLines) - 1)
            std::abort();
    } catch (const Failure&) {
    }
    const ParsedPosition position =
        ParsePositionLine(QString::fromUtf8(bytes.first(qMin<qsizetype>(size, 512))));
    if (!position.ok() && position.board != Board())
        std::abort();
    return 0;
}
