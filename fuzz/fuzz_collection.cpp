// libFuzzer target: any bytes as a collection file, read and compared with the straightforward
// reader (split into lines, validate), every item read and written back, items moved and
// removed, and the result read again.
#include "model/collection.h"
#include "model/failure.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

using namespace vexil;

namespace {

std::optional<QString> failureOf(auto body)
{
    try {
        body();
    } catch (const Failure& failure) {
        return failure.message;
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const Lines lines = SplitLines(bytes);
    int count = -1;
    const auto expected = failureOf([&] { count = ValidateCollection(lines); });
    Collection collection;
    const auto found = failureOf([&] { collection = Collection::fromBytes(bytes); });
    if (found != expected)
        std::abort();
    if (found)
        return 0;
    if (collection.itemCount() != count || collection.lines() != lines ||
        collection.bytes() != JoinLines(lines))
        std::abort();
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
    return 0;
}
