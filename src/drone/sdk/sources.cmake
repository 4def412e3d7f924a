list(APPEND ZELTRIN_SOURCES
    drone/sdk/DJISDKManager.h drone/sdk/DJISDKManager.cpp
    drone/sdk/SimulatedDJISDK.h drone/sdk/SimulatedDJISDK.cpp
)
