#include "MainTabModel.h"

#include <QVariantMap>

QString MainTabModel::screenUrl(AppTab tab)
{
    static const char *const paths[] = {
        "screens/dashboard/DashboardView.qml", "screens/mission/FlightPlanView.qml",
        "screens/camera/CameraView.qml", "screens/telemetry/TelemetryView.qml",
        "screens/logbook/FlightLogView.qml", "screens/settings/SettingsView.qml",
    };
    return QStringLiteral("qrc:/Zeltrin/") + QLatin1String(paths[int(tab)]);
}

QVariantList MainTabModel::tabs()
{
    QVariantList out;
    for (AppTab tab : AppTabInfo::allCases)
        out << QVariantMap{{QStringLiteral("raw"), AppTabInfo::rawValue(tab)},
                           {QStringLiteral("title"), AppTabInfo::title(tab)},
                           {QStringLiteral("icon"), AppTabInfo::icon(tab)},
                           {QStringLiteral("screen"), screenUrl(tab)}};
    return out;
}

void MainTabModel::setAppState(AppState *state)
{
    if (m_appState)
        QObject::disconnect(m_appState, nullptr, this, nullptr);
    m_appState = state;
    if (m_appState)
        QObject::connect(m_appState, &AppState::selectedTabChanged, this, &MainTabModel::currentIndexChanged);
    Q_EMIT appStateChanged();
    Q_EMIT currentIndexChanged();
}

int MainTabModel::currentIndex() const
{
    return m_appState ? int(m_appState->selectedTab()) : 0;
}

void MainTabModel::setCurrentIndex(int index)
{
    if (!m_appState || index < 0 || index >= int(AppTabInfo::allCases.size()))
        return;
    m_appState->setSelectedTab(AppTabInfo::allCases[size_t(index)]);
}
