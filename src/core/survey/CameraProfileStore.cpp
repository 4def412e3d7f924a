#include "CameraProfileStore.h"

#include <QSettings>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace zeltrin::survey {

namespace {
const QString kArray = QStringLiteral("cameraProfiles");
const QString kSetAside = QStringLiteral("cameraProfilesSetAside");

// A number stored as text or as a number; NaN when it is neither.
double numberOf(const QVariant &v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : qQNaN();
}

// A whole number of pixels; 0 (refused by the range check) when it is not one.
int pixelsOf(const QVariant &v)
{
    const double d = numberOf(v);
    return std::isfinite(d) && d == std::floor(d) && d >= 0 && d <= kMaxImageSide ? int(d) : 0;
}
} // namespace

struct CameraProfileStore::Stored {
    QList<CameraProfile> profiles;
    QList<QVariantMap> damaged;
};

CameraProfileStore::CameraProfileStore() : CameraProfileStore(std::make_unique<QSettings>()) {}

CameraProfileStore::CameraProfileStore(std::unique_ptr<QSettings> settings) : m_settings(std::move(settings)) {}

CameraProfileStore::~CameraProfileStore() = default;

CameraProfileStore::Stored CameraProfileStore::read() const
{
    Stored s;
    const int n = m_settings->beginReadArray(kArray);
    for (int i = 0; i < n; ++i) {
        m_settings->setArrayIndex(i);
        QVariantMap raw;
        for (const QString &key : m_settings->childKeys())
            raw.insert(key, m_settings->value(key));
        CameraProfile p{
            raw.value(QStringLiteral("name")).toString(),        numberOf(raw.value(QStringLiteral("sensorWidth"))),
            numberOf(raw.value(QStringLiteral("sensorHeight"))), numberOf(raw.value(QStringLiteral("focalLength"))),
            pixelsOf(raw.value(QStringLiteral("imageWidth"))),   pixelsOf(raw.value(QStringLiteral("imageHeight")))};
        const bool duplicate = builtInCameraProfile(p.name)
            || std::any_of(s.profiles.cbegin(), s.profiles.cend(),
                           [&](const CameraProfile &q) { return q.name == p.name; });
        if (cameraProblem(p).isEmpty() && !duplicate && s.profiles.size() < kMaxCustomProfiles)
            s.profiles.append(p);
        else if (!raw.isEmpty())
            s.damaged.append(raw);
    }
    m_settings->endArray();
    return s;
}

void CameraProfileStore::write(const QList<CameraProfile> &profiles, const Stored &old)
{
    if (!old.damaged.isEmpty()) {
        const int kept = m_settings->beginReadArray(kSetAside);
        m_settings->endArray();
        m_settings->beginWriteArray(kSetAside);
        for (qsizetype i = 0; i < old.damaged.size(); ++i) {
            m_settings->setArrayIndex(kept + int(i));
            for (auto it = old.damaged[i].cbegin(); it != old.damaged[i].cend(); ++it)
                m_settings->setValue(it.key(), it.value());
        }
        m_settings->endArray();
    }
    m_settings->remove(kArray);
    m_settings->beginWriteArray(kArray, int(profiles.size()));
    for (qsizetype i = 0; i < profiles.size(); ++i) {
        const CameraProfile &p = profiles[i];
        m_settings->setArrayIndex(int(i));
        m_settings->setValue(QStringLiteral("name"), p.name);
        m_settings->setValue(QStringLiteral("sensorWidth"), p.sensorWidth);
        m_settings->setValue(QStringLiteral("sensorHeight"), p.sensorHeight);
        m_settings->setValue(QStringLiteral("focalLength"), p.focalLength);
        m_settings->setValue(QStringLiteral("imageWidth"), p.imageWidth);
        m_settings->setValue(QStringLiteral("imageHeight"), p.imageHeight);
    }
    m_settings->endArray();
    m_settings->sync();
}

QList<CameraProfile> CameraProfileStore::customProfiles() const
{
    return read().profiles;
}

QList<CameraProfile> CameraProfileStore::allProfiles() const
{
    return builtInCameraProfiles() + customProfiles();
}

std::optional<CameraProfile> CameraProfileStore::profile(const QString &name) const
{
    for (const CameraProfile &p : allProfiles())
        if (p.name == name)
            return p;
    return std::nullopt;
}

QString CameraProfileStore::save(const CameraProfile &profile)
{
    if (QString problem = cameraProblem(profile); !problem.isEmpty())
        return problem;
    if (builtInCameraProfile(profile.name))
        return QStringLiteral("\u201c%1\u201d is the name of a built-in camera.").arg(profile.name);
    const Stored old = read();
    QList<CameraProfile> profiles = old.profiles;
    auto same = std::find_if(profiles.begin(), profiles.end(),
                             [&](const CameraProfile &p) { return p.name == profile.name; });
    if (same != profiles.end()) {
        *same = profile;
    } else {
        if (profiles.size() >= kMaxCustomProfiles)
            return QStringLiteral("There are already %1 custom cameras; remove one first.").arg(kMaxCustomProfiles);
        profiles.append(profile);
    }
    write(profiles, old);
    return {};
}

bool CameraProfileStore::remove(const QString &name)
{
    const Stored old = read();
    QList<CameraProfile> profiles = old.profiles;
    if (profiles.removeIf([&](const CameraProfile &p) { return p.name == name; }) == 0)
        return false;
    write(profiles, old);
    return true;
}

} // namespace zeltrin::survey
