// The app exactly as main() runs it, quitting after its first frame.
#include "FirstFrame.h"
#include "ZeltrinPilotApp.h"

int main(int argc, char **argv)
{
    zeltrin::RunOptions options;
    options.onFirstFrame = reportFirstFrame;
    options.quitAfterFirstFrame = true;
    return zeltrin::runApp(argc, argv, options);
}
