#include "MessageTime.h"

#include <algorithm>

namespace zeltrin {

int MessageTime::shownMs(QStringView text, bool isError)
{
    const int least = isError ? kFailureMs : kSuccessMs;
    const qsizetype characters = std::min<qsizetype>(text.size(), kLongestMs / kMsPerCharacter);
    return std::clamp(int(characters) * kMsPerCharacter, least, kLongestMs);
}

} // namespace zeltrin
