// libFuzzer target: any bytes as an .olv file; a file is refused with a message or read, and
// the collection made of it always opens.
#include "interchange/convert.h"
#include "model/failure.h"

#include <cstdint>
#include <cstdlib>

using namespace vexil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const ConvertedFile file =
            ConvertOlive(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
        if (ValidateCollection(SplitLines(JoinLines(file.lines))) !=
            int(file.lines.size() / kItemLines) - 1)
            std::abort();
    } catch (const Failure&) {
    }
    return 0;
}
