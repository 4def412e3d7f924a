#include "Palette.h"

#include <QList>

#include <cstdint>
#include <limits>

namespace zeltrin {

namespace {

// Letters, marks and digits of any script are kept; everything else is trimmed from the ends.
bool isAlphanumeric(char32_t cp)
{
    switch (QChar::category(cp)) {
    case QChar::Letter_Uppercase: case QChar::Letter_Lowercase: case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier: case QChar::Letter_Other:
    case QChar::Mark_NonSpacing: case QChar::Mark_SpacingCombining: case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit: case QChar::Number_Letter: case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

int hexDigit(char32_t u)
{
    if (u >= '0' && u <= '9') return int(u - '0');
    if (u >= 'a' && u <= 'f') return int(u - 'a' + 10);
    if (u >= 'A' && u <= 'F') return int(u - 'A' + 10);
    return -1;
}

// Reads hex digits from the start of the trimmed text, after an optional "0x"/"0X".
std::uint64_t scanHex(const QList<uint> &cps, qsizetype i, qsizetype end)
{
    if (end - i >= 3 && cps[i] == '0' && (cps[i + 1] == 'x' || cps[i + 1] == 'X') && hexDigit(cps[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; i < end; ++i) {
        const int d = hexDigit(cps[i]);
        if (d < 0)
            break;
        if (value > (std::numeric_limits<std::uint64_t>::max() >> 4))
            overflow = true;
        value = (value << 4) | std::uint64_t(d);
    }
    return overflow ? std::numeric_limits<std::uint64_t>::max() : value;
}

} // namespace

QColor colorFromHex(QStringView text)
{
    const QList<uint> cps = text.toUcs4();
    qsizetype begin = 0;
    qsizetype end = cps.size();
    while (begin < end && !isAlphanumeric(cps[begin]))
        ++begin;
    while (end > begin && !isAlphanumeric(cps[end - 1]))
        --end;
    const std::uint64_t v = scanHex(cps, begin, end);
    const double r = double((v >> 16) & 0xFF) / 255.0;
    const double g = double((v >> 8) & 0xFF) / 255.0;
    const double b = double(v & 0xFF) / 255.0;
    return QColor::fromRgbF(float(r), float(g), float(b), 1.0f);
}

const Palette &palette()
{
    // A function-local static is built once, thread-safely, on first use.
    static const Palette p{
        colorFromHex(u"#0F0F12"), colorFromHex(u"#1A1A22"), colorFromHex(u"#2C2C3A"),
        colorFromHex(u"#D4A017"), colorFromHex(u"#3A7BD5"), colorFromHex(u"#E0392A"),
        colorFromHex(u"#2ECC71"), colorFromHex(u"#6B7080"),
    };
    return p;
}

} // namespace zeltrin
