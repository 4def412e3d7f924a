#pragma once

#include "CameraProfile.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace zeltrin::survey {

// The pilot's own camera profiles, kept in the app's settings beside the built-in ones. Entries
// that do not read back as a valid profile (edited by hand, written by a newer version) are
// skipped, and moved aside under "cameraProfilesSetAside" the next time the list is written.
class CameraProfileStore
{
public:
    static constexpr qsizetype kMaxCustomProfiles = 100;

    CameraProfileStore(); // the app's settings
    explicit CameraProfileStore(std::unique_ptr<QSettings> settings);
    ~CameraProfileStore();
    CameraProfileStore(const CameraProfileStore &) = delete;
    CameraProfileStore &operator=(const CameraProfileStore &) = delete;

    QList<CameraProfile> customProfiles() const;
    // The built-in profiles, then the custom ones.
    QList<CameraProfile> allProfiles() const;
    std::optional<CameraProfile> profile(const QString &name) const;

    // Adds a custom profile, or replaces the one of that name. Empty on success, else why not:
    // invalid figures, a built-in profile's name, or a full list.
    QString save(const CameraProfile &profile);
    // False when there is no custom profile of that name.
    bool remove(const QString &name);

private:
    struct Stored;
    Stored read() const;
    void write(const QList<CameraProfile> &profiles, const Stored &old);

    std::unique_ptr<QSettings> m_settings;
};

} // namespace zeltrin::survey
