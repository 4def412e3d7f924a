import QtQuick
import Zeltrin

// The ActiveTrack sheet's slider: the same card and behaviour as FeatureSlider.
FeatureSlider {}
