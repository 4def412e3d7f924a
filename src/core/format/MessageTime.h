#pragma once

#include <QStringView>

namespace zeltrin {

// How long a message to the pilot ("Saved …", or why something failed) stays before it goes by
// itself, as the dashboard's notices do. A failure stays longer than a success, and a long
// message long enough to be read, up to a limit: no message stays for good.
struct MessageTime {
    static constexpr int kSuccessMs = 4000;
    static constexpr int kFailureMs = 8000;
    static constexpr int kMsPerCharacter = 60;
    static constexpr int kLongestMs = 15000;

    static int shownMs(QStringView text, bool isError);
};

} // namespace zeltrin
