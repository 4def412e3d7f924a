#include "DJISDKManager.h"

#include "SimulatedDJISDK.h"

std::unique_ptr<DJISDKManager> makeDefaultSDK()
{
    QByteArray choice = qgetenv("ZELTRIN_SDK");
    if (choice.isEmpty())
        choice = ZELTRIN_DEFAULT_SDK;
    if (choice == "none")
        return std::make_unique<NullDJISDK>();
    return std::make_unique<SimulatedDJISDK>();
}
