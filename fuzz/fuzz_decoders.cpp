#include "FuzzCheck.h"
#include "MRVModels.h"

#include <QJsonDocument>

#include <cstddef>
#include <cstdint>

namespace {
bool wellFormed(const MRVUser &u)
{
    return isWellFormedUtf16(u.id) && isWellFormedUtf16(u.email) && isWellFormedUtf16(u.displayName)
        && (!u.avatarURL || isWellFormedUtf16(*u.avatarURL));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));

    const auto user = mrv::decodeUser(json);
    if (user.ok()) {
        // What was decoded encodes and decodes back to the same record.
        if (wellFormed(user.value())) {
            const auto again = mrv::decodeUser(QJsonDocument(mrv::encode(user.value())).toJson());
            FUZZ_CHECK(again.ok() && again.value() == user.value());
        }
    } else {
        FUZZ_CHECK(std::holds_alternative<MRVDecodingError>(user.error()));
    }

    const auto login = mrv::decodeLoginResponse(json);
    if (login.ok()) {
        if (wellFormed(login.value().user) && isWellFormedUtf16(login.value().token)) {
            const auto again = mrv::decodeLoginResponse(QJsonDocument(mrv::encode(login.value())).toJson());
            FUZZ_CHECK(again.ok() && again.value() == login.value());
        }
    } else {
        FUZZ_CHECK(std::holds_alternative<MRVDecodingError>(login.error()));
    }
    return 0;
}
