// Reports which machine KestrovaSim.dll loaded at its first use: the exit
// code is the number of drives, the output the first drive's firmware.

#include "SimControl.h"

#include <cstdio>

int main()
{
    char firmware[64] = {};
    SimGetDriveValue(0, "fw", firmware, sizeof(firmware));
    std::printf("%s\n", firmware);
    return SimGetDriveCount();
}
