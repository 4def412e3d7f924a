#include "DJISDKManager.h"

#include "SimulatedDJISDK.h"

#include <QCoreApplication>
#include <QTimer>

void DJISDKManager::refuse(DJICompletion done)
{
    if (!done)
        return;
    if (auto *app = QCoreApplication::instance())
        QTimer::singleShot(0, app, [done = std::move(done)] { done(notConnectedReason()); });
}

std::unique_ptr<DJISDKManager> makeDefaultSDK()
{
    QByteArray choice = qgetenv("ZELTRIN_SDK");
    if (choice.isEmpty())
        choice = ZELTRIN_DEFAULT_SDK;
    if (choice == "none")
        return std::make_unique<NullDJISDK>();
    return std::make_unique<SimulatedDJISDK>();
}
