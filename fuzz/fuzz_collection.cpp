// libFuzzer target: any bytes as a collection file, read, validated, and every item read and
// written back.
#include "model/collection.h"
#include "model/failure.h"

#include <cstdint>
#include <cstdlib>

using namespace vexil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        Collection collection = Collection::fromBytes(bytes);
        for (int n = 1; n <= collection.itemCount(); ++n) {
            const int line = collection.FindItemLine(n);
            try {
                const Item item = collection.readItem(line);
                collection.writeItem(line, StorableItem(item));
            } catch (const Failure&) {
            }
        }
        if (collection.itemCount() >= 2) {
            collection.moveItem(1, collection.itemCount());
            collection.removeItem(1);
        }
        if (!collection.isEmpty() &&
            ValidateCollection(SplitLines(collection.bytes())) != collection.itemCount())
            std::abort();
    } catch (const Failure&) {
    }
    return 0;
}
