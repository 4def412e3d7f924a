#include "FuzzCheck.h"
#include "Palette.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QColor c = zeltrin::colorFromHex(text);
    // Never fails: always a valid, opaque colour.
    FUZZ_CHECK(c.isValid());
    FUZZ_CHECK(c.alpha() == 255);
    // The same text always reads the same.
    FUZZ_CHECK(zeltrin::colorFromHex(text) == c);
    return 0;
}
