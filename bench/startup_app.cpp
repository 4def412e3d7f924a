// The app exactly as main() runs it, quitting at a milestone:
//   startup-app [first|gate|guest [tap delay in ms]]
// For "guest", "Continue as Guest" is taken the given time after the gate's first frame
// (default 0); the gate's frame and the tap are reported as well.
#include "FirstFrame.h"
#include "ZeltrinPilotApp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    using Milestone = zeltrin::RunOptions::Milestone;
    zeltrin::RunOptions options;
    const char *which = argc > 1 ? argv[1] : "first";
    options.milestone = std::strcmp(which, "gate") == 0    ? Milestone::gate
                        : std::strcmp(which, "guest") == 0 ? Milestone::guestDashboard
                                                           : Milestone::firstFrame;
    options.guestTapDelayMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;
    options.onMilestone = reportFirstFrame;
    options.onGate = [] { reportNow("GATE_NS"); };
    options.onGuestTap = [] { reportNow("TAP_NS"); };
    options.quitAfterMilestone = true;
    int qtArgc = 1; // the milestone is ours, not Qt's
    return zeltrin::runApp(qtArgc, argv, options);
}
