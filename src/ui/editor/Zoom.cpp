// The zoom steps and limits that both editors share.
#include "ui/editor/Zoom.h"

#include <algorithm>

namespace {

int Bounded(int percent) { return std::max(kZoomMin, std::min(percent, kZoomMax)); }

}  // namespace

bool IsZoomInRange(int percent) { return percent >= kZoomMin && percent <= kZoomMax; }

int ZoomAfterKey(int zoom, ZoomKey key) {
    switch (key) {
        case kZoomIn:
            return Bounded(zoom + kZoomStep);
        case kZoomOut:
            return Bounded(zoom - kZoomStep);
        case kZoomReset:
            break;
        case kZoomWheel:  // the wheel's steps are ZoomAfterWheel's
            return zoom;
    }
    return 100;
}

int ZoomAfterWheel(int zoom, int delta, int* parts) {
    if ((delta > 0 && *parts < 0) || (delta < 0 && *parts > 0)) *parts = 0;
    *parts += delta;
    int notches = *parts / kWheelNotch;
    *parts -= notches * kWheelNotch;
    return notches == 0 ? zoom : Bounded(zoom + notches * kZoomStep);
}
