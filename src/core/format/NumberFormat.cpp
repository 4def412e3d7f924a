#include "NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <locale.h>
#include <vector>

namespace zeltrin {
namespace detail {

std::string prepareFormat(const char *format)
{
    std::string out;
    const std::string_view in(format ? format : "");
    for (size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        out.push_back(c);
        if (c != '%')
            continue;
        if (i + 1 < in.size() && in[i + 1] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        // Copy flags, width and precision; then fix up the conversion.
        size_t j = i + 1;
        while (j < in.size() && std::string_view("-+ #0123456789.*").find(in[j]) != std::string_view::npos)
            out.push_back(in[j++]);
        bool hasLength = false;
        while (j < in.size() && std::string_view("hlLqjzt").find(in[j]) != std::string_view::npos) {
            hasLength = true;
            ++j; // length modifiers are replaced: integers always travel as long long
        }
        if (j >= in.size())
            break;
        const char conv = in[j];
        if (conv == '@') {
            out.push_back('s');
        } else if (std::string_view("diouxX").find(conv) != std::string_view::npos) {
            out += "ll";
            out.push_back(conv);
        } else {
            (void)hasLength;
            out.push_back(conv);
        }
        i = j;
    }
    return out;
}

namespace {

// Every shown number uses the C locale's point and digits, whatever LC_NUMERIC the system or a
// library set; the rounding stays the C library's.
locale_t cLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

struct CLocaleScope {
    CLocaleScope() : previous(cLocale() ? uselocale(cLocale()) : locale_t(nullptr)) {}
    ~CLocaleScope()
    {
        if (previous)
            uselocale(previous);
    }
    CLocaleScope(const CLocaleScope &) = delete;
    CLocaleScope &operator=(const CLocaleScope &) = delete;
    locale_t previous;
};

} // namespace

QString vformat(const std::string &format, ...)
{
    const CLocaleScope cLocaleForThisThread;
    va_list ap;
    va_start(ap, format);
    va_list ap2;
    va_copy(ap2, ap);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, format.c_str(), ap);
    va_end(ap);
    QString result;
    if (n < 0) {
        result = QString();
    } else if (size_t(n) < sizeof small) {
        result = QString::fromUtf8(small, n);
    } else {
        std::vector<char> big(size_t(n) + 1);
        std::vsnprintf(big.data(), big.size(), format.c_str(), ap2);
        result = QString::fromUtf8(big.data(), n);
    }
    va_end(ap2);
    return result;
}

} // namespace detail

std::optional<long long> checkedTruncate(double value)
{
    // 2^63 is exactly representable; every double strictly inside (-2^63 - 1, 2^63) truncates safely.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(value) || value >= limit || value < -limit)
        return std::nullopt;
    return static_cast<long long>(value);
}

QString shortestDouble(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    std::string s(buf, res.ptr);
    if (s.find_first_of(".e") == std::string::npos)
        s += ".0";
    return QString::fromStdString(s);
}

} // namespace zeltrin

namespace zeltrin {

QString formatVariants(const QString &format, const QVariantList &args)
{
    // Split into pieces that each hold at most one conversion, and format each piece alone.
    const std::string in = format.toStdString();
    QString out;
    qsizetype argIndex = 0;
    size_t i = 0;
    std::string piece;
    while (i < in.size()) {
        const size_t pct = in.find('%', i);
        if (pct == std::string::npos) {
            piece += in.substr(i);
            break;
        }
        piece += in.substr(i, pct - i);
        if (pct + 1 < in.size() && in[pct + 1] == '%') {
            piece += "%%";
            i = pct + 2;
            continue;
        }
        size_t j = pct + 1;
        while (j < in.size() && std::string_view("-+ #0123456789.hlLqjzt").find(in[j]) != std::string_view::npos)
            ++j;
        if (j >= in.size()) {
            piece += in.substr(pct);
            break;
        }
        const char conv = in[j];
        const std::string spec = in.substr(pct, j - pct + 1);
        const QVariant arg = argIndex < args.size() ? args.at(argIndex) : QVariant();
        ++argIndex;
        out += detail::vformat(detail::prepareFormat(piece.c_str()));
        piece.clear();
        if (conv == '@' || conv == 's') {
            out += detail::vformat(detail::prepareFormat(spec.c_str()), arg.toString().toUtf8().constData());
        } else if (std::string_view("diouxXc").find(conv) != std::string_view::npos) {
            bool ok = false;
            const double d = arg.toDouble(&ok);
            const auto whole = ok ? checkedTruncate(d) : std::nullopt;
            if (whole)
                out += detail::vformat(detail::prepareFormat(spec.c_str()), *whole);
            else
                out += kPlaceholder;
        } else {
            out += detail::vformat(detail::prepareFormat(spec.c_str()), arg.toDouble());
        }
        i = j + 1;
    }
    if (!piece.empty())
        out += detail::vformat(detail::prepareFormat(piece.c_str()));
    return out;
}

} // namespace zeltrin
