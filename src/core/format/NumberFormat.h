#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <concepts>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace zeltrin {

// Placeholder for a value no source has supplied, or one that cannot be shown (NaN, infinity).
inline const QString kPlaceholder = QStringLiteral("\u2014");

namespace detail {
// Rewrites the format for the C library: "%@" takes a text argument, and "%d"/"%i"/"%x"
// take 64-bit integers (every integer argument is passed as long long).
std::string prepareFormat(const char *format);
QString vformat(const std::string &format, ...);

template<typename T>
auto toVarArg(const T &v)
{
    if constexpr (std::is_same_v<T, bool>)
        return static_cast<long long>(v);
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<long long>(v);
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<double>(v);
    else if constexpr (std::is_convertible_v<T, const char *>)
        return static_cast<const char *>(v);
    else
        static_assert(std::is_floating_point_v<T>, "format() takes numbers and texts");
}
} // namespace detail

// printf-style formatting with the C library's rounding ("%.0fm" of -0.4 gives "-0m").
// Texts (QString) go to "%@" conversions.
template<typename... Args>
QString format(const char *fmt, const Args &...args)
{
    const std::string f = detail::prepareFormat(fmt);
    if constexpr (sizeof...(Args) == 0) {
        return detail::vformat(f);
    } else {
        auto convert = [](const auto &a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, QString>)
                return a.toUtf8();
            else
                return a;
        };
        auto held = std::make_tuple(convert(args)...);
        return std::apply([&](const auto &...h) {
            auto pass = [](const auto &x) {
                using X = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<X, QByteArray>)
                    return x.constData();
                else
                    return detail::toVarArg(x);
            };
            return detail::vformat(f, pass(h)...);
        }, held);
    }
}

// A double converted to a whole number by truncation, or nothing when it is NaN, infinite
// or outside the range of a 64-bit integer (where a plain cast would be undefined).
std::optional<long long> checkedTruncate(double value);

// Shortest decimal text that reads back as the same double, always with a fractional part
// or an exponent ("50.0", "12.5", "1e-05").
QString shortestDouble(double value);

} // namespace zeltrin

namespace zeltrin {
// The same formatting with arguments known only at run time (QML): each conversion takes the
// next argument; integer conversions of a non-finite or out-of-range number give the placeholder.
QString formatVariants(const QString &format, const QVariantList &args);
} // namespace zeltrin
