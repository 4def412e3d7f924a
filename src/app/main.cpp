#include "ZeltrinPilotApp.h"

int main(int argc, char **argv)
{
    return zeltrin::runApp(argc, argv);
}
