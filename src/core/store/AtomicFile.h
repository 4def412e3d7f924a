#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zeltrin {

// Replaces the file at `path` with `bytes` in one step: the old file stays whole until the new
// one is on disk in full. On failure, the reason in the system's words (the old file is kept).
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace zeltrin
