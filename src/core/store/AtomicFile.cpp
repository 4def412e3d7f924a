#include "AtomicFile.h"

#include <QSaveFile>

namespace zeltrin {

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // QSaveFile::commit() ignores a failure of its own last flush (a full disk, a size limit)
    // and renames the cut file over the old one: flush first, and give up on any failure.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace zeltrin
