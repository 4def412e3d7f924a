#include "Fmt.h"

#include "NumberFormat.h"

QString Fmt::f(const QString &format, const QVariant &a, const QVariant &b, const QVariant &c) const
{
    return zeltrin::formatVariants(format, {a, b, c});
}
