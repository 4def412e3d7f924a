#include "FuzzCheck.h"
#include "MRVModels.h"

#include <cstddef>
#include <cstdint>

namespace {
qsizetype leadingUnderscores(const QString &s)
{
    qsizetype n = 0;
    while (n < s.size() && s.at(n) == u'_')
        ++n;
    return n;
}
qsizetype trailingUnderscores(const QString &s)
{
    qsizetype n = 0;
    while (n < s.size() && s.at(s.size() - 1 - n) == u'_')
        ++n;
    return n;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString key = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString out = mrv::convertFromSnakeCase(key);
    // Converting twice changes nothing more.
    FUZZ_CHECK(mrv::convertFromSnakeCase(out) == out);
    // Leading and trailing underscores stay where they are.
    if (leadingUnderscores(key) < key.size()) {
        FUZZ_CHECK(leadingUnderscores(out) == leadingUnderscores(key));
        FUZZ_CHECK(trailingUnderscores(out) == trailingUnderscores(key));
    } else {
        FUZZ_CHECK(out == key);
    }
    // Without an inner underscore the key is used unchanged.
    const QString inner = key.mid(leadingUnderscores(key), key.size() - leadingUnderscores(key) - trailingUnderscores(key));
    if (!inner.contains(u'_'))
        FUZZ_CHECK(out == key);
    return 0;
}
