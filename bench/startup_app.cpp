// The app exactly as main() runs it, quitting at a milestone: startup-app [first|gate|guest]
#include "FirstFrame.h"
#include "ZeltrinPilotApp.h"

#include <cstring>

int main(int argc, char **argv)
{
    using Milestone = zeltrin::RunOptions::Milestone;
    zeltrin::RunOptions options;
    const char *which = argc > 1 ? argv[1] : "first";
    options.milestone = std::strcmp(which, "gate") == 0    ? Milestone::gate
                        : std::strcmp(which, "guest") == 0 ? Milestone::guestDashboard
                                                           : Milestone::firstFrame;
    options.onMilestone = reportFirstFrame;
    options.quitAfterMilestone = true;
    int qtArgc = 1; // the milestone is ours, not Qt's
    return zeltrin::runApp(qtArgc, argv, options);
}
