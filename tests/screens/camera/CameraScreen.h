#pragma once

#include "CameraModel.h"
#include "ScreenHarness.h"

// The camera screen in a real window on the aircraft SDK double, with its model.
struct CameraScreen : ScreenHarness {
    CameraModel *camera = nullptr;

    bool load(QSize size = kPhone)
    {
        if (!open(QUrl(QStringLiteral("qrc:/Zeltrin/screens/camera/CameraView.qml")), size))
            return false;
        camera = model<CameraModel>();
        return camera != nullptr;
    }
};
